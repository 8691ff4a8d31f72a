// Loop-device images for the file-system cases of the reliability suite (Linux, root).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "tests/reliability/reliability_support.h"

namespace fs = std::filesystem;

namespace {
// Runs `command` through the shell; its standard output, "" when it failed.
std::string Output(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return out;
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) out += chunk;
    if (pclose(pipe) != 0)
        out.clear();
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

// Runs `command` through the shell, its output dropped; whether it succeeded.
bool Succeeds(std::string command) {
    command += " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

std::string Quoted(const fs::path& path) {
    std::string quoted(1, '\'');
    quoted += path.string();
    quoted += '\'';
    return quoted;
}
}  // namespace

LoopMount::LoopMount(const fs::path& scratch, const std::string& kind, int megabytes)
    : dir_(scratch / "mnt") {
    const fs::path image = scratch / (kind + ".img");
    if (geteuid() != 0) {
        problem_ = "a loop device needs root";
        return;
    }
    if (kind == "exfat" && access("/dev/fuse", R_OK | W_OK) != 0) {
        problem_ = "no /dev/fuse";
        return;
    }
    fs::create_directory(dir_);
    if (kind == "tmpfs") {
        const std::string size = " -o size=" + std::to_string(megabytes) + "m";
        if (!Succeeds("mount -t tmpfs" + size + " tmpfs " + Quoted(dir_)))
            problem_ = "mount -t tmpfs failed";
        return;
    }
    std::ofstream(image).close();
    fs::resize_file(image, static_cast<uintmax_t>(megabytes) << 20);
    const std::string make = kind == "exfat"   ? "mkfs.exfat "
                             : kind == "btrfs" ? "mkfs.btrfs -q "
                                               : "mkfs." + kind + " -q -F ";
    if (!Succeeds(make + Quoted(image))) {
        problem_ = make + "failed (scripts/install-deps.sh installs it)";
        return;
    }
    const std::string device = Output("losetup -f --show " + Quoted(image));
    if (device.empty()) {
        problem_ = "no free loop device (losetup -f)";
        return;
    }
    // mount.exfat-fuse needs a block device; the FUSE daemon it leaves keeps the device open.
    const std::string mount = kind == "exfat" ? "mount.exfat-fuse " : "mount -t " + kind + " ";
    if (!Succeeds(mount + device + " " + Quoted(dir_)))
        problem_ = mount + device + " failed";
    // While mounted, this only marks the device to be freed at the unmount.
    static_cast<void>(Succeeds("losetup -d " + device));
}

LoopMount::~LoopMount() {
    if (problem_.empty())
        static_cast<void>(Succeeds("umount " + Quoted(dir_)));
}
