#include "support/packages.h"

#include "support/pictures.h"

namespace lumigram::test {
namespace {

std::uint32_t Id(const std::string& name) {
    std::uint32_t h = 0;
    for (const char c : name) {
        h = (h << 1) ^ (h >> 20) ^ static_cast<unsigned char>(c);
    }
    return h;
}

void Append32(Bytes& out, std::uint32_t value) {
    out.resize(out.size() + 4);
    PutLe32(out, out.size() - 4, value);
}

}  // namespace

Bytes BuildPackage(const std::vector<Member>& members) {
    const std::string header = "motoskin\n\nv1.00\n00000000\n\nComment: Lumigram\nID table:\n\n";
    Bytes out(header.begin(), header.end());
    for (const Member& m : members) {
        out.insert(out.end(), m.name.begin(), m.name.end());
        out.push_back(0x0A);
    }
    while (out.size() % 4 != 0) {
        out.push_back(0);
    }
    const auto indexOffset = static_cast<std::uint32_t>(out.size());
    const auto count = static_cast<std::uint32_t>(members.size());
    Append32(out, 0xABCDDCBA);
    Append32(out, 55);
    Append32(out, count);
    Append32(out, indexOffset + 20);
    Append32(out, indexOffset + 20 + 12 * count);
    std::uint32_t nameOffset = 0;
    std::uint32_t recordOffset = 0;
    for (const Member& m : members) {
        Append32(out, Id(m.name));
        Append32(out, nameOffset);
        Append32(out, recordOffset);
        nameOffset += static_cast<std::uint32_t>(m.name.size() + 1);
        recordOffset += static_cast<std::uint32_t>(m.content.size() + 8);
    }
    for (const Member& m : members) {
        Append32(out, 0xDCBAABCD);
        Append32(out, static_cast<std::uint32_t>(m.content.size()));
        out.insert(out.end(), m.content.begin(), m.content.end());
    }
    static constexpr char kHex[] = "0123456789abcdef";
    for (int k = 0; k < 8; ++k) {
        out[16 + k] = static_cast<std::uint8_t>(kHex[(indexOffset >> (28 - 4 * k)) & 15]);
    }
    return out;
}

Bytes ExamplePackage() {
    const char* rows[] = {
        "6D 6F 74 6F 73 6B 69 6E 0A 0A 76 31 2E 30 30 0A",
        "30 30 30 30 30 30 34 38 0A 0A 43 6F 6D 6D 65 6E",
        "74 3A 20 4C 75 6D 69 67 72 61 6D 0A 49 44 20 74",
        "61 62 6C 65 3A 0A 0A 69 63 6F 6E 2E 6B 0A 77 61",
        "6C 6C 2E 67 0A 00 00 00 BA DC CD AB 37 00 00 00",
        "02 00 00 00 5C 00 00 00 74 00 00 00 E7 09 00 00",
        "00 00 00 00 00 00 00 00 1B 0A 00 00 07 00 00 00",
        "0D 00 00 00 CD AB BA DC 05 00 00 00 01 02 03 04",
        "05 CD AB BA DC 03 00 00 00 AA BB CC",
    };
    Bytes out;
    for (const char* row : rows) {
        for (const char* p = row; *p != 0; p += (p[2] == 0 ? 2 : 3)) {
            out.push_back(static_cast<std::uint8_t>(std::stoi(std::string(p, 2), nullptr, 16)));
        }
    }
    return out;
}

}  // namespace lumigram::test
