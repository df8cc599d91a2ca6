// A small tmpfs of our own, for a disk that fills up or a file system that is
// read-only. Needs the right to mount (root); Mounted() says whether it worked.
#pragma once

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

class ScratchMount {
public:
    // size like "64k"; readOnly mounts it read-only.
    explicit ScratchMount(const std::string& size, bool readOnly = false) {
        char tmpl[] = "/tmp/vantiro-mnt.XXXXXX";
        if (mkdtemp(tmpl) == nullptr) return;
        dir_ = tmpl;
        const std::string data = "size=" + size + ",mode=0777";
        unsigned long flags = MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0);
        mounted_ = ::mount("tmpfs", dir_.c_str(), "tmpfs", flags, data.c_str()) == 0;
    }
    ~ScratchMount() {
        if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
        if (!dir_.empty()) ::rmdir(dir_.c_str());
    }
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
    bool mounted_ = false;
};
