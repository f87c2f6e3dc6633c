#pragma once

#include <memory>
#include <string>

#include <emscripten/val.h>

#include "package/editable_package.h"
#include "web/memory_files.h"

namespace lumigram::web {

// An open skin package for the page: the editable package the CLI's update
// and delete and the workbench use, over a copy of the bytes in memory. Every
// method returns an Error value instead of raising (see js_bytes.h).
class WebPackage {
  public:
    // salvage: a damaged package's intact members, read-only for the page,
    // instead of the CLI's refusal.
    WebPackage() { ++open_; }
    ~WebPackage() { --open_; }
    WebPackage(const WebPackage&) = delete;
    WebPackage& operator=(const WebPackage&) = delete;

    static emscripten::val Open(const emscripten::val& bytes, const std::string& name,
                                bool salvage);

    std::size_t size() const { return package_.members().size(); }
    emscripten::val member(std::size_t index) const;  // {name, size, kind}
    emscripten::val bytes(std::size_t index) const;
    emscripten::val put(const std::string& name, const emscripten::val& bytes);
    emscripten::val putConverted(const std::string& name, const emscripten::val& bytes);
    emscripten::val remove(const std::string& name);
    emscripten::val rename(const std::string& oldName, const std::string& newName);
    emscripten::val save();
    // What `lumigram-cli verify` reports (damage, unusual members), a line a
    // finding; "" when it reports nothing.
    std::string findings() const { return findings_; }

  private:
    std::size_t Named(const std::string& name) const;
    std::size_t Checked(std::size_t index) const;

    std::unique_ptr<MemoryFolder> folder_ = std::make_unique<MemoryFolder>();
    EditablePackage package_;
    std::string findings_;
    unsigned saves_ = 0;
    static unsigned open_;  // packages alive now
};

}  // namespace lumigram::web
