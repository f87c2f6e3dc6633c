#include "cli/commands.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/cli_support.h"
#include "cli/path_validator.h"
#include "cli/transparency_options.h"
#include "codec/picture_conversion.h"
#include "codec/picture_direction.h"
#include "codec/skin_decoder.h"
#include "codec/skin_encoder.h"
#include "codec/skin_info.h"

namespace lumigram::cli {
namespace {

struct ConvertArguments {
    std::string input;
    std::string output;
    TransparencyOptions transparency;
};

struct InfoArguments {
    std::string input;
    bool json = false;
};

void PrintInfo(const SkinPictureInfo& info, bool json) {
    if (json) {
        nlohmann::ordered_json object;
        object["width"] = info.width;
        object["height"] = info.height;
        object["bits_per_pixel"] = info.bitsPerPixel;
        object["row_stride"] = info.rowStride;
        object["mask_stride"] = info.maskStride;
        object["mask"] = MaskPresenceName(info.mask);
        object["file_size"] = info.fileSize;
        std::cout << object.dump() << '\n';
        return;
    }
    std::cout << "width:          " << info.width << '\n'
              << "height:         " << info.height << '\n'
              << "bits per pixel: " << info.bitsPerPixel << '\n'
              << "row stride:     " << info.rowStride << '\n'
              << "mask stride:    " << info.maskStride << '\n'
              << "mask:           " << MaskPresenceName(info.mask) << '\n'
              << "file size:      " << info.fileSize << '\n';
}

CLI::App* AddConvertCommand(CLI::App& app, const char* name, const char* description,
                            const char* example, ConvertArguments& arguments) {
    CLI::App* command = app.add_subcommand(name, description);
    command->add_option("INPUT", arguments.input, "Picture to read")
        ->required()
        ->check(NonEmptyPath());
    command
        ->add_option("OUTPUT", arguments.output,
                     "File to write (replaced when complete); - for standard output")
        ->required()
        ->check(NonEmptyPath());
    AddTransparencyOptions(*command, arguments.transparency);
    command->footer(example);
    return command;
}

}  // namespace

void AddCodecCommands(CLI::App& app, int& exitCode) {
    // Option values are bound by reference; each command's callback holds its
    // block, so the blocks live as long as the app.
    auto decode = std::make_shared<ConvertArguments>();
    auto encode = std::make_shared<ConvertArguments>();
    auto info = std::make_shared<InfoArguments>();

    AddConvertCommand(app, "decode", "Decode a .k skin picture into a BMP",
                      "Example:\n  lumigram-cli decode icon.k icon.bmp --transparency-color 00FF00",
                      *decode)
        ->callback([decode, &exitCode] {
            exitCode = RunReportingErrors(decode->input, [&] {
                CheckSkinPictureInput(decode->input);
                DecodeSkinPictureTo(decode->input, decode->output, decode->transparency.colour(),
                                    decode->transparency.enabled());
            });
        });

    AddConvertCommand(app, "encode",
                      "Pack a BMP into a .k skin picture (a PNG into an OUTPUT ending in .k is "
                      "encoded with its alpha as the mask; a GIF or PNG is copied unchanged to "
                      "an OUTPUT ending in .g; anything else is refused)",
                      "Example:\n  lumigram-cli encode icon.bmp icon.k\n"
                      "  lumigram-cli encode icon.png icon.k   (alpha becomes the mask)\n"
                      "  lumigram-cli encode logo.png logo.g   (copied unchanged)",
                      *encode)
        ->callback([encode, &exitCode] {
            exitCode = RunReportingErrors(encode->input, [&] {
                // A PNG named into a ".k" is encoded with its alpha as the mask.
                if (ReadPictureFormat(encode->input) == PictureFormat::kPng &&
                    TargetFromExtension(encode->output) == TargetFormat::kK) {
                    ConvertPictureTo(
                        encode->input, encode->output, TargetFormat::kK,
                        {encode->transparency.colour(), encode->transparency.enabled()});
                    return;
                }
                CheckEncodeInput(encode->input, encode->output);
                EncodeSkinPictureTo(encode->input, encode->output, encode->transparency.colour(),
                                    encode->transparency.enabled());
            });
        });

    CLI::App* infoCommand = app.add_subcommand("info", "Describe a .k skin picture");
    infoCommand->add_option("INPUT", info->input, "Skin picture to describe")
        ->required()
        ->check(NonEmptyPath());
    infoCommand->add_flag("--json", info->json, "Print one JSON object");
    infoCommand->footer("Example:\n  lumigram-cli info icon.k --json");
    infoCommand->callback([info, &exitCode] {
        exitCode = RunReportingErrors(info->input, [&] {
            CheckSkinPictureInput(info->input);
            PrintInfo(InspectSkinPicture(info->input), info->json);
        });
    });
}

}  // namespace lumigram::cli
