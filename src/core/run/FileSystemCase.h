#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brindle
{

/// Which rule a folding file system compares names by, as far as the mount tells.
enum class FoldRule : std::uint8_t {
    Unknown, ///< nothing known: no folding, or a file system of no known table
    Generic, ///< Unicode's simple case folding (ext4 and tmpfs folders, NTFS, HFS, SMB)
    ExFat, ///< exFAT's up-case table
    Fat, ///< FAT as Linux's vfat driver compares long names: the letters a-z only
};

/// The rule of a file system named as mount or mkfs name it ("exfat", "vfat", "fat32",
/// "ntfs-3g", ...): Unknown for every other name.
FoldRule foldRuleOfName(std::string_view fsName);

/// The rule of the file system that holds the folder open as dirFd: a kernel file system by
/// its statfs type; a FUSE one (fuse, fuseblk) by its subtype in /proc/self/mountinfo, or the
/// type of the block device it was mounted from (the udev database, else the device's boot
/// sector when it can be read).
FoldRule foldRuleOf(int dirFd);

/// The FUSE subtype of the mountinfo line (the fields after " - ": type, source, options) of
/// a mount: "fuse.exfat" gives "exfat"; "fuseblk" alone gives "" (the device must tell).
std::string fuseSubtype(std::string_view fsType);

/// The character exFAT's up-case table (the one its format tools write) gives for c.
char16_t exFatUpcase(char16_t c);

/// The clash key of name on exFAT: every character of the Basic Multilingual Plane through the
/// up-case table; characters beyond it and bytes outside any UTF-8 sequence stay as they are.
void exFatNameKey(std::string_view name, std::string& out);

/// The clash key of name on FAT: a-z upper-cased, every other byte as it is.
void fatNameKey(std::string_view name, std::string& out);

} // namespace brindle
