#include "engine/OutputFile.h"
#include <shlwapi.h>
#include <algorithm>
#include <vector>
#include "engine/FileExistsDialog.h"
#include "framework/CodePage.h"
#include "framework/Strings.h"
#include "resources/resource.h"

namespace {

const char* const kExtension = ".flv";
// Windows counts both in UTF-16 units: a path without its terminating zero,
// and one name in it.
const size_t kMaxPathLength = MAX_PATH - 1;
const size_t kMaxNameLength = 255;
const size_t kMaxHostNameBytes = 255;

// The size of ANSI text as the limits count it.
struct TextSize {
    size_t units;      // UTF-16
    size_t utf8Bytes;  // on the host of Wine
    bool Within(const TextSize& room) const { return units <= room.units && utf8Bytes <= room.utf8Bytes; }
};

TextSize SizeOf(const std::string& text) {
    std::wstring wide = ToWide(text, CP_ACP);
    return {wide.size(), FromWide(wide, CP_UTF8).size()};
}

// Under Wine a name lives on the host's file system, which takes at most
// 255 bytes of UTF-8 for it (Linux, macOS). Wine reports a limit of 255
// characters, as Windows does, and does not refuse a longer name: it stores
// it cut short, which may be the name of another file.
bool NamesLimitedInBytes() {
    static const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Device names as Windows recognises them, compared in UTF-16 so that the
// superscript digits mean the same in every ANSI code page.
bool IsDeviceName(const std::string& base) {
    if (base.empty() || base.size() > 16) return false;
    wchar_t wide[17] = L"";
    int length = MultiByteToWideChar(CP_ACP, 0, base.data(), static_cast<int>(base.size()), wide, 16);
    for (int i = 0; i < length; ++i)
        if (wide[i] >= L'a' && wide[i] <= L'z') wide[i] = static_cast<wchar_t>(wide[i] - L'a' + L'A');
    std::wstring name(wide, length > 0 ? length : 0);
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (name == device) return true;
    if (name.size() != 4 || (name.compare(0, 3, L"COM") != 0 && name.compare(0, 3, L"LPT") != 0)) return false;
    wchar_t digit = name[3];
    return (digit >= L'0' && digit <= L'9') || digit == 0x00B9 || digit == 0x00B2 || digit == 0x00B3;
}

// Windows takes the part of a name before its first dot, without the
// blanks that end it, for a device name: "nul.x.flv" and "CON .flv" open
// devices, not files. The length of that part when it names a device, else
// npos.
size_t DeviceNameLength(const std::string& name) {
    size_t dot = mbtext::FindChar(name, '.', 0, AnsiLeadByteTest());
    std::string part = name.substr(0, dot);
    size_t last = part.find_last_not_of(' ');  // a blank is never a trail byte
    size_t end = last == std::string::npos ? 0 : last + 1;
    return IsDeviceName(part.substr(0, end)) ? end : std::string::npos;
}

bool NamesDevice(const std::string& name) {
    return DeviceNameLength(name) != std::string::npos;
}

// An underscore after the device name makes it a plain name.
std::string AvoidDeviceName(const std::string& stem) {
    size_t end = DeviceNameLength(stem);
    if (end == std::string::npos) return stem;
    return stem.substr(0, end) + "_" + stem.substr(end);
}

std::string UntitledStem() {
    std::string format = LoadResString(IDS_UNTITLED_FORMAT);
    std::string ticks = std::to_string(static_cast<long>(static_cast<LONG>(GetTickCount())));
    size_t at = format.find("%d");
    return at == std::string::npos ? format + ticks : format.replace(at, 2, ticks);
}

}  // namespace

bool EnsureFolder(const std::string& folder) {
    if (IsFolder(folder)) return true;
    mbtext::LeadByteFn lead = AnsiLeadByteTest();
    // Every level in turn; failures on a drive or server part are harmless.
    for (size_t at = mbtext::FindChar(folder, '\\', 1, lead); at != std::string::npos;
         at = mbtext::FindChar(folder, '\\', at + 1, lead))
        CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    return IsFolder(folder);
}

std::string MakeFileName(const std::string& text) {
    mbtext::LeadByteFn lead = AnsiLeadByteTest();
    std::string name = mbtext::ReplaceChars(text, "/\\<>*?:\"|", ' ', lead);
    // A line break of a multi-line title is as unusable in a name; a zero
    // byte would end the path early.
    name = mbtext::ReplaceControlChars(name, ' ', lead);
    name = mbtext::ReplaceAll(name, std::string(1, '\0'), " ", lead);
    return AvoidDeviceName(name);
}

namespace {

// The longest start of stem, in whole characters, that fits the room.
std::string CutToFit(const std::string& stem, TextSize room) {
    mbtext::LeadTable lead(AnsiLeadByteTest());
    TextSize used = {0, 0};
    size_t keep = 0;
    while (keep < stem.size()) {
        size_t length = lead.CharLength(stem.data(), stem.size(), keep);
        TextSize one = SizeOf(stem.substr(keep, length));
        TextSize more = {used.units + one.units, used.utf8Bytes + one.utf8Bytes};
        if (!more.Within(room)) break;
        used = more;
        keep += length;
    }
    return stem.substr(0, keep);
}

}  // namespace

std::string OutputPathFor(const std::string& folder, const std::string& stem) {
    std::string prefix = folder + "\\";
    const TextSize extension = SizeOf(kExtension);
    size_t fixed = SizeOf(prefix).units + extension.units;
    if (fixed >= kMaxPathLength) return prefix + stem + kExtension;
    TextSize room = {std::min(kMaxPathLength - fixed, kMaxNameLength - extension.units),
                     NamesLimitedInBytes() ? kMaxHostNameBytes - extension.utf8Bytes : static_cast<size_t>(-1)};
    if (SizeOf(stem).Within(room)) return prefix + stem + kExtension;
    // Cutting can leave a device name, whose underscore needs a place too.
    std::string cut = AvoidDeviceName(CutToFit(stem, room));
    if (!SizeOf(cut).Within(room)) cut = AvoidDeviceName(CutToFit(stem, {room.units - 1, room.utf8Bytes - 1}));
    return prefix + cut + kExtension;
}

namespace {

// The file made new for this job; invalid when it cannot be (exists: set
// when that is because the name is taken). A device is never opened.
FileHandle ClaimNewFile(const std::string& path, bool* exists) {
    *exists = false;
    if (NamesDevice(PathFindFileNameA(path.c_str()))) return FileHandle();
    // Inheritable, as the file has always been made; DELETE so that a claim
    // that got nothing can be given up through its own handle.
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    FileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, 0, &inheritable, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD error = GetLastError();
    *exists = !file && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
    return file;
}

}  // namespace

bool PrepareOutputPath(const std::string& folder, const VideoInfo& info, HWND owner, int alwaysOverwrite,
                       OutputTarget* target, int* ticked) {
    std::string stem = MakeFileName(info.title.empty() ? UntitledStem() : info.title);
    std::string candidate = OutputPathFor(folder, stem);
    bool exists = PathFileExistsA(candidate.c_str()) != FALSE;
    // Another window may make the same name between the test and the claim.
    if (!exists) target->claimed = ClaimNewFile(candidate, &exists);
    if (!exists || alwaysOverwrite) {
        target->path = candidate;
        return true;
    }
    FileExistsDialog dialog(owner);
    dialog.fileName = candidate.substr(folder.size() + 1);
    dialog.alwaysOverwrite = alwaysOverwrite;
    INT_PTR result = dialog.DoModal();
    if (result != FileExistsDialog::ResultOverwrite && result != IDOK) return false;
    if (ticked) *ticked = dialog.alwaysOverwrite == 1 ? 1 : 0;
    if (result == FileExistsDialog::ResultOverwrite) {
        target->path = candidate;
        return true;
    }
    // A typed name is taken as typed: no extension added, and a file of that
    // name is replaced without a second question.
    target->path = folder + "\\" + dialog.fileName;
    target->claimed = ClaimNewFile(target->path, &exists);
    return true;
}

bool DownloadToFile(HttpDownloader& downloader, const std::string& streamUrl, OutputTarget target, HWND owner) {
    const std::string& path = target.path;
    // A typed name such as "nul" or "com1.flv" names a device: nothing would
    // be saved, and opening some devices can block.
    if (NamesDevice(PathFindFileNameA(path.c_str()))) {
        ShowMessage(owner, IDS_CANNOT_CREATE_FILE, path);
        return false;
    }
    downloader.SetChunkSize(4096);
    // An existing file is opened when the stream's first bytes arrive: an
    // error answer, a failed connection or a stop before that leaves it as
    // it was.
    FileOutput output(path, std::move(target.claimed));
    bool done = downloader.Download(streamUrl, output, HttpDownloader::HttpErrors::Fail, HttpDownloader::Cuts::Resume);
    if (done) done = output.Create();  // an empty stream still makes its file
    if (!done) output.GiveUpClaim();
    if (output.CreateFailed()) ShowMessage(owner, IDS_CANNOT_CREATE_FILE, path);
    return done;
}
