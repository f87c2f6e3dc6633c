#include "support/fat_image.h"

namespace lumigram::test {

FatImage::FatImage(const TempDir& dir, const std::string& folderName)
    : folder_(dir.File(folderName)) {
    const std::string image = dir.File(folderName + ".img");
    const CommandResult made = RunCommand(
        "(command -v fusefat >/dev/null && command -v mkfs.vfat >/dev/null && test -c /dev/fuse && "
        "truncate -s 8M " +
        ShellQuote(image) + " && mkfs.vfat " + ShellQuote(image) + " >/dev/null && mkdir " +
        ShellQuote(folder_) + " && fusefat -o rw+ " + ShellQuote(image) + " " +
        ShellQuote(folder_) + " >/dev/null)");
    mounted_ = made.exitCode == 0;
    if (!mounted_) {
        whyNot_ =
            "no FAT image could be mounted here (fusefat, mkfs.vfat and /dev/fuse are "
            "needed): " +
            made.err;
    }
}

FatImage::~FatImage() {
    if (mounted_) {
        RunCommand("(fusermount -u " + ShellQuote(folder_) + " || umount " + ShellQuote(folder_) +
                   ")");
    }
}

}  // namespace lumigram::test
