#include "core/run/FileSystemCase.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <fstream>

#include "core/base/Fd.h"
#include "core/jobs/Utf8Chars.h"

namespace brindle
{

namespace
{

/// A stretch of the up-case table: every step-th character from first to last maps to itself
/// plus delta.
struct UpcaseRun {
    char16_t first;
    char16_t last;
    std::uint8_t step;
    std::int32_t delta;
};

// exFAT's up-case table as mkfs.exfat writes it (and Windows formats with), as runs of the
// characters it changes; every other character maps to itself.
constexpr UpcaseRun kExFatUpcase[] = {
    {0x0061, 0x007A, 1, -32},
    {0x00E0, 0x00F6, 1, -32},
    {0x00F8, 0x00FE, 1, -32},
    {0x00FF, 0x00FF, 1, 121},
    {0x0101, 0x012F, 2, -1},
    {0x0133, 0x0137, 2, -1},
    {0x013A, 0x0148, 2, -1},
    {0x014B, 0x0177, 2, -1},
    {0x017A, 0x017E, 2, -1},
    {0x0180, 0x0180, 1, 195},
    {0x0183, 0x0185, 2, -1},
    {0x0188, 0x0188, 1, -1},
    {0x018C, 0x018C, 1, -1},
    {0x0192, 0x0192, 1, -1},
    {0x0195, 0x0195, 1, 97},
    {0x0199, 0x0199, 1, -1},
    {0x019A, 0x019A, 1, 163},
    {0x019E, 0x019E, 1, 130},
    {0x01A1, 0x01A5, 2, -1},
    {0x01A8, 0x01A8, 1, -1},
    {0x01AD, 0x01AD, 1, -1},
    {0x01B0, 0x01B0, 1, -1},
    {0x01B4, 0x01B6, 2, -1},
    {0x01B9, 0x01B9, 1, -1},
    {0x01BD, 0x01BD, 1, -1},
    {0x01BF, 0x01BF, 1, 56},
    {0x01C6, 0x01C6, 1, -2},
    {0x01C9, 0x01C9, 1, -2},
    {0x01CC, 0x01CC, 1, -2},
    {0x01CE, 0x01DC, 2, -1},
    {0x01DD, 0x01DD, 1, -79},
    {0x01DF, 0x01EF, 2, -1},
    {0x01F3, 0x01F3, 1, -2},
    {0x01F5, 0x01F5, 1, -1},
    {0x01F9, 0x021F, 2, -1},
    {0x0223, 0x0233, 2, -1},
    {0x023A, 0x023A, 1, 10795},
    {0x023C, 0x023C, 1, -1},
    {0x023E, 0x023E, 1, 10792},
    {0x0242, 0x0242, 1, -1},
    {0x0247, 0x024F, 2, -1},
    {0x0253, 0x0253, 1, -210},
    {0x0254, 0x0254, 1, -206},
    {0x0256, 0x0257, 1, -205},
    {0x0259, 0x0259, 1, -202},
    {0x025B, 0x025B, 1, -203},
    {0x0260, 0x0260, 1, -205},
    {0x0263, 0x0263, 1, -207},
    {0x0268, 0x0268, 1, -209},
    {0x0269, 0x0269, 1, -211},
    {0x026B, 0x026B, 1, 10743},
    {0x026F, 0x026F, 1, -211},
    {0x0272, 0x0272, 1, -213},
    {0x0275, 0x0275, 1, -214},
    {0x027D, 0x027D, 1, 10727},
    {0x0280, 0x0280, 1, -218},
    {0x0283, 0x0283, 1, -218},
    {0x0288, 0x0288, 1, -218},
    {0x0289, 0x0289, 1, -69},
    {0x028A, 0x028B, 1, -217},
    {0x028C, 0x028C, 1, -71},
    {0x0292, 0x0292, 1, -219},
    {0x037B, 0x037D, 1, 130},
    {0x03AC, 0x03AC, 1, -38},
    {0x03AD, 0x03AF, 1, -37},
    {0x03B1, 0x03C1, 1, -32},
    {0x03C2, 0x03C2, 1, -31},
    {0x03C3, 0x03CB, 1, -32},
    {0x03CC, 0x03CC, 1, -64},
    {0x03CD, 0x03CE, 1, -63},
    {0x03D9, 0x03EF, 2, -1},
    {0x03F2, 0x03F2, 1, 7},
    {0x03F8, 0x03F8, 1, -1},
    {0x03FB, 0x03FB, 1, -1},
    {0x0430, 0x044F, 1, -32},
    {0x0450, 0x045F, 1, -80},
    {0x0461, 0x0481, 2, -1},
    {0x048B, 0x04BF, 2, -1},
    {0x04C2, 0x04CE, 2, -1},
    {0x04CF, 0x04CF, 1, -15},
    {0x04D1, 0x0513, 2, -1},
    {0x0561, 0x0586, 1, -48},
    {0x1D7D, 0x1D7D, 1, 3814},
    {0x1E01, 0x1E95, 2, -1},
    {0x1EA1, 0x1EF9, 2, -1},
    {0x1F00, 0x1F07, 1, 8},
    {0x1F10, 0x1F15, 1, 8},
    {0x1F20, 0x1F27, 1, 8},
    {0x1F30, 0x1F37, 1, 8},
    {0x1F40, 0x1F45, 1, 8},
    {0x1F51, 0x1F57, 2, 8},
    {0x1F60, 0x1F67, 1, 8},
    {0x1F70, 0x1F71, 1, 74},
    {0x1F72, 0x1F75, 1, 86},
    {0x1F76, 0x1F77, 1, 100},
    {0x1F78, 0x1F79, 1, 128},
    {0x1F7A, 0x1F7B, 1, 112},
    {0x1F7C, 0x1F7D, 1, 126},
    {0x1F80, 0x1F87, 1, 8},
    {0x1F90, 0x1F97, 1, 8},
    {0x1FA0, 0x1FA7, 1, 8},
    {0x1FB0, 0x1FB1, 1, 8},
    {0x1FB3, 0x1FB3, 1, 9},
    {0x1FCC, 0x1FCC, 1, -9},
    {0x1FD0, 0x1FD1, 1, 8},
    {0x1FE0, 0x1FE1, 1, 8},
    {0x1FE5, 0x1FE5, 1, 7},
    {0x1FFC, 0x1FFC, 1, -9},
    {0x214E, 0x214E, 1, -28},
    {0x2170, 0x217F, 1, -16},
    {0x2184, 0x2184, 1, -1},
    {0x24D0, 0x24E9, 1, -26},
    {0x2C30, 0x2C5E, 1, -48},
    {0x2C61, 0x2C61, 1, -1},
    {0x2C68, 0x2C6C, 2, -1},
    {0x2C76, 0x2C76, 1, -1},
    {0x2C81, 0x2CE3, 2, -1},
    {0x2D00, 0x2D25, 1, -7264},
    {0xFF41, 0xFF5A, 1, -32},
};

static_assert(std::is_sorted(std::begin(kExFatUpcase), std::end(kExFatUpcase),
    [](const UpcaseRun& a, const UpcaseRun& b) { return a.last < b.first; }));

constexpr unsigned long kFuseMagic = 0x65735546;

FoldRule ruleOfStatfsType(unsigned long type)
{
    switch (type) {
    case 0x4d44: // msdos, vfat
        return FoldRule::Fat;
    case 0x2011BAB0: // exfat
        return FoldRule::ExFat;
    case 0x5346544e: // ntfs
    case 0x7366746e: // ntfs3
    case 0x4244: // hfs
    case 0x482b: // hfs+
    case 0xFF534D42: // cifs
    case 0xFE534D42: // smb2
    case 0x517B: // smb
        return FoldRule::Generic;
    default:
        return FoldRule::Unknown;
    }
}

/// The type the udev database gives the block device major:minor, or "".
std::string udevFsType(unsigned major, unsigned minor)
{
    std::ifstream in("/run/udev/data/b" + std::to_string(major) + ":" + std::to_string(minor));
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with("E:ID_FS_TYPE="))
            return line.substr(13);
    }
    return {};
}

/// The type the boot sector of the block device at path names, or "" when it cannot be read.
std::string bootSectorFsType(const std::string& path)
{
    const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    std::array<char, 512> sector {};
    if (!fd.valid() || ::pread(fd.get(), sector.data(), sector.size(), 0) != 512)
        return {};
    const std::string_view s(sector.data(), sector.size());
    if (s.substr(3, 8) == "EXFAT   ")
        return "exfat";
    if (s.substr(3, 8) == "NTFS    ")
        return "ntfs";
    if (s.substr(0x36, 3) == "FAT" || s.substr(0x52, 5) == "FAT32")
        return "vfat";
    return {};
}

/// The rule of the FUSE mount that holds the file system dev, from /proc/self/mountinfo.
FoldRule fuseRule(dev_t dev)
{
    std::ifstream in("/proc/self/mountinfo");
    const std::string id = std::to_string(::major(dev)) + ":" + std::to_string(::minor(dev));
    std::string line;
    while (std::getline(in, line)) {
        // id parent major:minor root mountpoint options [optional fields] - type source superoptions
        std::size_t a = line.find(' ');
        a = a == std::string::npos ? a : line.find(' ', a + 1);
        if (a == std::string::npos || line.compare(a + 1, id.size() + 1, id + " ") != 0)
            continue;
        const std::size_t dash = line.find(" - ");
        if (dash == std::string::npos)
            continue;
        const std::string_view rest = std::string_view(line).substr(dash + 3);
        const std::size_t typeEnd = rest.find(' ');
        const std::string_view type = rest.substr(0, typeEnd);
        if (const std::string subtype = fuseSubtype(type); !subtype.empty())
            return foldRuleOfName(subtype);
        if (type != "fuseblk" && type != "fuse")
            continue;
        const std::string_view afterType = typeEnd == std::string_view::npos ? "" : rest.substr(typeEnd + 1);
        const std::string source(afterType.substr(0, afterType.find(' ')));
        if (const FoldRule rule = foldRuleOfName(source); rule != FoldRule::Unknown)
            return rule;
        // A block device: the type the system found on it, or its boot sector.
        struct stat st;
        if (type == "fuseblk" && ::stat(source.c_str(), &st) == 0 && S_ISBLK(st.st_mode)) {
            std::string fs = udevFsType(::major(st.st_rdev), ::minor(st.st_rdev));
            if (fs.empty())
                fs = bootSectorFsType(source);
            return foldRuleOfName(fs);
        }
        return FoldRule::Unknown;
    }
    return FoldRule::Unknown;
}

void appendUtf8(char32_t c, std::string& out)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

FoldRule foldRuleOfName(std::string_view fsName)
{
    if (fsName == "exfat")
        return FoldRule::ExFat;
    if (fsName == "vfat" || fsName == "fat" || fsName == "msdos" || fsName == "fat12" || fsName == "fat16"
        || fsName == "fat32" || fsName == "fusefat")
        return FoldRule::Fat;
    return FoldRule::Unknown;
}

std::string fuseSubtype(std::string_view fsType)
{
    for (const std::string_view prefix : {"fuse.", "fuseblk."}) {
        if (fsType.starts_with(prefix))
            return std::string(fsType.substr(prefix.size()));
    }
    return {};
}

FoldRule foldRuleOf(int dirFd)
{
    struct statfs fs;
    if (::fstatfs(dirFd, &fs) != 0)
        return FoldRule::Unknown;
    const auto type = static_cast<unsigned long>(fs.f_type);
    if (type != kFuseMagic)
        return ruleOfStatfsType(type);
    struct stat st;
    if (::fstat(dirFd, &st) != 0)
        return FoldRule::Unknown;
    return fuseRule(st.st_dev);
}

char16_t exFatUpcase(char16_t c)
{
    const auto* it = std::lower_bound(std::begin(kExFatUpcase), std::end(kExFatUpcase), c,
        [](const UpcaseRun& run, char16_t ch) { return run.last < ch; });
    if (it == std::end(kExFatUpcase) || c < it->first || (c - it->first) % it->step != 0)
        return c;
    return static_cast<char16_t>(static_cast<std::int32_t>(c) + it->delta);
}

void exFatNameKey(std::string_view name, std::string& out)
{
    out.clear();
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t len = charLen(name, i);
        const auto c0 = static_cast<unsigned char>(name[i]);
        if (len == 1 && c0 < 0x80) {
            out += static_cast<char>(exFatUpcase(c0));
        } else if (len == 2 || len == 3) {
            char32_t cp = len == 2 ? (c0 & 0x1F) : (c0 & 0x0F);
            for (std::size_t k = 1; k < len; ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(name[i + k]) & 0x3F);
            appendUtf8(exFatUpcase(static_cast<char16_t>(cp)), out);
        } else {
            out.append(name.substr(i, len));
        }
        i += len;
    }
}

void fatNameKey(std::string_view name, std::string& out)
{
    out.assign(name);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
}

} // namespace brindle
