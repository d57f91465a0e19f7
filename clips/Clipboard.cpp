#include "Clipboard.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>

#include "base/Log.h"
#include "clips/ClipRecord.h"
#include "clips/RichText.h"
#include "framework/Handles.h"
#include "framework/Prompts.h"
#include "framework/TextConversion.h"

UINT g_nRichTextFormat = 0;
int g_bSkipClipChange = 0;
std::function<void()> g_CaptureBeforePutHook;

namespace {

HWND s_ownerWindow = nullptr;
std::optional<DWORD> s_ownSequence;  // of the program's last put, or of the copy a favourite took
bool s_givingUp = false;             // the session ends: the waits of the work under way end at once

// The program that just copied often keeps the clipboard open for a moment: about 100 ms of retries.
const int kOpenAttempts = 10;
const DWORD kOpenRetryMs = 10;

bool OpenClipboardWithRetry(HWND owner) {
    for (int attempt = 1;; ++attempt) {
        if (OpenClipboard(owner)) return true;
        if (attempt == kOpenAttempts) return false;
        Sleep(kOpenRetryMs);
    }
}

bool IsAcceptedFormat(UINT format, UINT richText) {
    switch (format) {
    case CF_TEXT:
    case CF_BITMAP:
    case CF_DIB:
    case CF_ENHMETAFILE:
        return true;
    default:
        return richText != 0 && format == richText;
    }
}

// The bytes of a global block, kept only when a clip could hold them; false when none was delivered.
bool CopyGlobalBlock(HANDLE handle, std::size_t& blockSize, std::vector<char>& bytes) {
    GlobalLockGuard lock(handle);
    if (!lock.Data()) return false;
    blockSize = lock.Size();
    if (blockSize > 0 && blockSize < kClipBufferSize) {
        const char* data = static_cast<const char*>(lock.Data());
        bytes.assign(data, data + blockSize);
    }
    return true;
}

bool CopyMetafileBits(HENHMETAFILE metafile, std::size_t& blockSize, std::vector<char>& bytes) {
    UINT size = metafile ? GetEnhMetaFileBits(metafile, 0, nullptr) : 0;
    if (size == 0) return false;
    blockSize = size;
    if (blockSize < kClipBufferSize) {
        bytes.resize(size);
        if (GetEnhMetaFileBits(metafile, size, reinterpret_cast<BYTE*>(bytes.data())) != size) return false;
    }
    return true;
}

// Every put of the program carries this format beside the clip: a start that finds it on the clipboard finds what
// the last run put there (a recent clip, a favourite, the append file), which is no copy of the user's.
UINT ProgramsPutMark() {
    static const UINT mark = RegisterClipboardFormatW(L"Clipboard Quorvex put");
    return mark;
}

// Marks with which password managers and other programs keep their content out of clipboard
// histories: the first and last by being present, CanIncludeInClipboardHistory by a DWORD 0.
struct PrivacyMarks {
    UINT exclude = RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
    UINT history = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    UINT viewerIgnore = RegisterClipboardFormatW(L"Clipboard Viewer Ignore");
};

const PrivacyMarks& Marks() {
    static const PrivacyMarks marks;
    return marks;
}

// The text forms its owner put. The clipboard lists the owner's formats in the order put and then
// the forms it converts, usually with CF_LOCALE between them, so CF_TEXT listed after CF_LOCALE counts
// as converted. Unicode text listed before CF_LOCALE is the owner's, and so is one listed anywhere
// when the owner put no ANSI text (it may put its locale before it); after CF_LOCALE beside the
// owner's ANSI text it is most often converted from that, though it may be the owner's too.
struct OwnersText {
    bool ansi = false;
    bool unicode = false;            // listed, the owner's or converted
    bool unicodeBeforeLocale = false;
    bool PutUnicode() const { return unicodeBeforeLocale || (unicode && !ansi); }
};

// What the clipboard offers, from one walk over the formats it lists (each step a call to the system,
// which asks no owner to render anything).
struct Offer {
    bool markedPrivate = false;  // by a mark present
    bool historyMark = false;    // CanIncludeInClipboardHistory listed: its value tells
    UINT first = 0;              // the first format listed that the program stores; 0: none
    OwnersText owners;
    bool programsPut = false;    // the mark of the program's puts
};

Offer WhatIsOffered(UINT richText) {
    const PrivacyMarks& marks = Marks();
    const UINT putMark = ProgramsPutMark();
    Offer offer;
    bool pastLocale = false;
    for (UINT format = 0; (format = EnumClipboardFormats(format)) != 0;) {
        if (!offer.first && IsAcceptedFormat(format, richText)) offer.first = format;
        if (format == CF_LOCALE) {
            pastLocale = true;
        } else if (format == CF_TEXT && !pastLocale) {
            offer.owners.ansi = true;
        } else if (format == CF_UNICODETEXT) {
            offer.owners.unicode = true;
            offer.owners.unicodeBeforeLocale = !pastLocale;
        } else if (format == marks.exclude || format == marks.viewerIgnore) {
            offer.markedPrivate = true;
        } else if (format == marks.history) {
            offer.historyMark = true;
        } else if (format == putMark) {
            offer.programsPut = true;
        }
    }
    return offer;
}

bool IsMarkedPrivate(const Offer& offer) {
    if (offer.markedPrivate) return true;
    if (!offer.historyMark) return false;
    GlobalLockGuard lock(GetClipboardData(Marks().history));
    DWORD allowed = 1;
    if (lock.Data() && lock.Size() >= sizeof allowed) std::memcpy(&allowed, lock.Data(), sizeof allowed);
    return allowed == 0;
}

// The UTF-16 units of the clipboard's Unicode text, up to its NUL or its block's end. A text of
// kClipBufferSize - 1 units or more is too large in every form (each unit takes a byte of ANSI text
// at least, two of Unicode text): it is refused by its size, never copied nor cut.
std::size_t UnicodeTextUnits(const GlobalLockGuard& lock) {
    return wcsnlen(static_cast<const wchar_t*>(lock.Data()), lock.Size() / sizeof(wchar_t));
}
const std::size_t kTooManyUnits = kClipBufferSize - 1;

// Whether the text, up to its NUL, is ASCII without a '?'.
bool IsPlainAscii(const std::vector<char>& text) {
    for (char c : text) {
        if (c == '\0') return true;
        if (static_cast<unsigned char>(c) >= 0x80 || c == '?') return false;
    }
    return true;
}

// Whether the Unicode text is the ANSI text's characters, every one of them ASCII, which each code page holds as
// it is: told without copying either.
bool IsTheSameAsciiText(const wchar_t* units, std::size_t count, const std::vector<char>& ansi) {
    if ((ansi.empty() ? 0 : strnlen(ansi.data(), ansi.size())) != count) return false;
    for (std::size_t i = 0; i < count; ++i)
        if (units[i] >= 0x80 || units[i] != static_cast<wchar_t>(ansi[i])) return false;
    return true;
}

// A text clip of the clipboard's Unicode text. Text that the ANSI code page holds unchanged is an ANSI
// text clip: the owner's own ANSI bytes when `clip` holds them already, else that text made here.
// Other text stays Unicode. The block size is that of the form kept.
bool TakeUnicodeText(ClipboardClip& clip) {
    GlobalLockGuard lock(GetClipboardData(CF_UNICODETEXT));
    if (!lock.Data()) return clip.format == CF_TEXT;
    const std::size_t units = UnicodeTextUnits(lock);
    if (units >= kTooManyUnits) {
        if (clip.format == CF_TEXT) return true;  // the owner's ANSI text, judged by its own size
        clip.format = CF_TEXT;
        clip.blockSize = units + 1;
        clip.bytes.clear();
        return true;
    }
    if (clip.format == CF_TEXT && IsTheSameAsciiText(static_cast<const wchar_t*>(lock.Data()), units, clip.bytes))
        return true;
    const std::wstring text = UnicodeClipText(lock.Data(), lock.Size(), units);
    bool unchanged = true;
    std::string ansi = AnsiCodePageText(text, unchanged);
    if (unchanged && clip.format == CF_TEXT) return true;
    clip.bytes.clear();
    if (unchanged) {
        clip.format = CF_TEXT;
        clip.blockSize = ansi.size() + 1;
        if (clip.blockSize < kClipBufferSize) clip.bytes.assign(ansi.c_str(), ansi.c_str() + clip.blockSize);
        return true;
    }
    clip.format = CF_UNICODETEXT;
    clip.blockSize = (text.size() + 1) * sizeof(wchar_t);
    clip.textBlockSize = ansi.size() + 1;  // as ANSI text, the size the log names
    if (clip.blockSize < kClipBufferSize) {
        const char* begin = reinterpret_cast<const char*>(text.c_str());
        clip.bytes.assign(begin, begin + (text.size() + 1) * sizeof(wchar_t));
    }
    return true;
}

// The plain text beside a clip of another format, whole, in one form: the Unicode one wherever it is
// listed (the owner's, or converted from the owner's ANSI text, which the owner then renders alone).
void TakeText(const OwnersText& owners, ClipboardClip& clip) {
    const UINT form = owners.unicode ? CF_UNICODETEXT : CF_TEXT;
    GlobalLockGuard lock(GetClipboardData(form));
    if (!lock.Data()) return;
    clip.hasText = true;
    const char* bytes = static_cast<const char*>(lock.Data());
    if (form == CF_TEXT) {
        clip.textBlockSize = lock.Size();
        clip.text = WideText(bytes, strnlen(bytes, lock.Size()), CP_ACP);
        return;
    }
    clip.text = UnicodeClipText(bytes, lock.Size(), lock.Size() / sizeof(wchar_t));
    // The size the log names is that of the text as ANSI text, as the clipboard would hand it over.
    const int units = static_cast<int>(clip.text.size());
    clip.textBlockSize = (units ? WideCharToMultiByte(CP_ACP, 0, clip.text.data(), units, nullptr, 0, nullptr, nullptr)
                                : 0) + 1;
}

// What a read asks of the clipboard once open: an owner may render each format asked for slowly, so
// only what the clip needs is asked for: the marks of private content, then one text form (the
// owner's Unicode text where it put one; its ANSI text as it is where it put that alone), or the
// picture or rich text chosen, with the plain text beside it when wanted. A read given up asks for
// nothing more.
ClipboardRead ReadOpened(UINT richText, bool textBesidePicture, const std::atomic<bool>& givenUp,
                         ClipboardClip& clip) {
    const Offer offer = WhatIsOffered(richText);
    if (IsMarkedPrivate(offer)) return ClipboardRead::Excluded;
    clip.programsPut = offer.programsPut;
    const UINT offered = offer.first;
    if (offered == 0) return ClipboardRead::Empty;
    if (givenUp) return ClipboardRead::TimedOut;

    const OwnersText& owners = offer.owners;
    if (offered == CF_TEXT) {
        if (owners.PutUnicode()) return TakeUnicodeText(clip) ? ClipboardRead::Done : ClipboardRead::NotDelivered;
        clip.format = CF_TEXT;
        if (!CopyGlobalBlock(GetClipboardData(CF_TEXT), clip.blockSize, clip.bytes)) return ClipboardRead::NotDelivered;
        // The Unicode text the clipboard converts from it (by the locale's code page, which may hold more than
        // the program's) costs the owner no render, unless the owner put it too. Plain ASCII reads alike in every
        // code page, unless a '?' stands for a character the ANSI text lost.
        if (owners.unicode && !givenUp && !IsPlainAscii(clip.bytes)) TakeUnicodeText(clip);
        return ClipboardRead::Done;
    }
    bool delivered;
    if (offered == CF_ENHMETAFILE) {
        clip.format = CF_ENHMETAFILE;
        delivered = CopyMetafileBits(static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE)), clip.blockSize,
                                     clip.bytes);
    } else {
        // A bitmap is a handle of this session only; the clipboard converts it to CF_DIB bytes.
        clip.format = offered == CF_BITMAP ? CF_DIB : offered;
        delivered = CopyGlobalBlock(GetClipboardData(clip.format), clip.blockSize, clip.bytes);
    }
    if (!delivered) return ClipboardRead::NotDelivered;
    // A rich text's caption, a picture's line in the append file.
    if ((offered == richText || textBesidePicture) && !givenUp) TakeText(owners, clip);
    return ClipboardRead::Done;
}

// On the reading thread: one read of the clipboard, opened with that thread's own window (under
// Wine, threads that open it without one share it) and closed as soon as it is done or given up.
ClipboardRead ReadOpenClipboard(HWND reader, UINT richText, bool textBesidePicture, const std::atomic<bool>& givenUp,
                                ClipboardClip& clip) {
    if (!OpenClipboardWithRetry(reader)) return ClipboardRead::NotOpened;
    const ClipboardRead result = ReadOpened(richText, textBesidePicture, givenUp, clip);
    // No one else can change the clipboard while it is open, so the number now is that of what was read, whether or
    // not an owner's rendering moved it.
    clip.sequence = GetClipboardSequenceNumber();
    CloseClipboard();
    return result;
}

// Shared by the reading thread and the waiting one; whichever lets go last frees it, so a
// result that arrives after the wait was given up lands here and is dropped.
struct ReadJob {
    ReadJob() : done(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~ReadJob() {
        if (done) CloseHandle(done);
    }
    ReadJob(const ReadJob&) = delete;
    ReadJob& operator=(const ReadJob&) = delete;

    UINT richText = 0;
    bool textBesidePicture = true;
    std::atomic<bool> givenUp{false};  // by the waiting thread: the result is dropped
    ClipboardClip clip;
    ClipboardRead result = ClipboardRead::TimedOut;
    HANDLE done;
};

// Waits until the event is set, or (without one) until `holds`, looked at every 10 ms, is true;
// meanwhile answers messages other threads send to this one (the owner of a clipboard format asked to
// render it may be a window of this thread). Posted messages wait. A session end among them ends the wait.
bool WaitAnsweringSentMessages(DWORD timeoutMs, HANDLE event, const std::function<bool()>& holds = nullptr) {
    const DWORD kLookMs = 10;
    const DWORD handles = event ? 1 : 0;
    const DWORD start = GetTickCount();
    for (;;) {
        if (s_givingUp) return false;
        if (holds && holds()) return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        const DWORD left = timeoutMs - elapsed;
        const DWORD woken =
            MsgWaitForMultipleObjects(handles, &event, FALSE, event ? left : std::min(left, kLookMs), QS_SENDMESSAGE);
        if (event && woken == WAIT_OBJECT_0) return true;
        MSG msg;
        if (woken == WAIT_OBJECT_0 + handles) PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// One reading thread and the job handed to it; shared by that thread and the asking one, and
// freed by whichever lets go last.
struct Reader {
    Reader() : wake(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~Reader() {
        if (wake) CloseHandle(wake);
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    HANDLE wake;                   // set when a job is handed over, or the thread is to end
    std::shared_ptr<ReadJob> job;  // set by the asking thread before `wake`, taken by the reading one
    std::atomic<bool> ending{false};
};

// A read uses some 20 KB of the reading thread's stack (the clip's bytes are on the heap): it
// reserves a margin over that rather than the program's default of 2 MB.
const SIZE_T kReaderStackReservation = 256 * 1024;

// The reading thread: its window and its loop live as long as the program, so a read costs
// neither a thread nor a window of its own.
DWORD WINAPI ReaderLoop(void* parameter) {
    auto* handedOver = static_cast<std::shared_ptr<Reader>*>(parameter);
    std::shared_ptr<Reader> reader = std::move(*handedOver);
    delete handedOver;
    // A class of its own: under the manifest's common controls 6 "STATIC" is a class of
    // comctl32, which a window of it would load into every run.
    auto createWindow = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"QuorvexClipboardReader";
        RegisterClassW(&windowClass);  // a second reading thread finds it registered
        return CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               windowClass.hInstance, nullptr);
    };
    HWND window = createWindow();
    while (!reader->ending) {
        // Never a wait for messages: a thread waiting for input marks the whole process idle
        // (WaitForInputIdle) before its start-up is done. Nothing sends to the reader's window.
        if (WaitForSingleObject(reader->wake, INFINITE) != WAIT_OBJECT_0) break;
        std::shared_ptr<ReadJob> job = std::move(reader->job);
        if (!job) continue;
        if (!window) window = createWindow();  // tried again for each read while it cannot be made
        job->result = window ? ReadOpenClipboard(window, job->richText, job->textBesidePicture, job->givenUp, job->clip)
                             : ClipboardRead::NotOpened;
        SetEvent(job->done);
    }
    if (window) DestroyWindow(window);
    return 0;
}

// The reading thread of this run, started by the first read. One whose last job never came back
// (an owner that promised data and hung) is left to finish that job and end on its own; the next
// read starts a new one.
struct ReaderThread {
    std::shared_ptr<Reader> reader;
    HANDLE thread = nullptr;
    std::shared_ptr<ReadJob> lastJob;

    bool IsBusy() const { return lastJob && WaitForSingleObject(lastJob->done, 0) != WAIT_OBJECT_0; }
    bool Start() {
        auto started = std::make_shared<Reader>();
        if (!started->wake) return false;
        auto* handedOver = new std::shared_ptr<Reader>(started);
        HANDLE created = CreateThread(nullptr, kReaderStackReservation, ReaderLoop, handedOver,
                                      STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        if (!created) {
            delete handedOver;
            return false;
        }
        reader = std::move(started);
        thread = created;
        return true;
    }
    // Tells the thread to end once it is free; waits for that only when `waitMs` is given.
    void LetGo(DWORD waitMs) {
        if (!reader) return;
        reader->ending = true;
        SetEvent(reader->wake);
        if (waitMs) WaitForSingleObject(thread, waitMs);
        CloseHandle(thread);
        *this = ReaderThread{};
    }
};
ReaderThread s_readerThread;

// A handle made ready for the clipboard, freed unless the clipboard took it.
class ClipboardData {
public:
    ClipboardData(UINT format, HANDLE handle) : m_format(format), m_handle(handle) {}
    ~ClipboardData() {
        if (!m_handle) return;
        if (m_format == CF_ENHMETAFILE)
            DeleteEnhMetaFile(static_cast<HENHMETAFILE>(m_handle));
        else
            GlobalFree(m_handle);
    }
    ClipboardData(ClipboardData&& other) noexcept : m_format(other.m_format), m_handle(other.m_handle) {
        other.m_handle = nullptr;
    }
    ClipboardData(const ClipboardData&) = delete;
    ClipboardData& operator=(const ClipboardData&) = delete;
    ClipboardData& operator=(ClipboardData&&) = delete;

    bool IsReady() const { return m_handle != nullptr; }
    bool HandOver() {
        if (!SetClipboardData(m_format, m_handle)) return false;
        m_handle = nullptr;
        return true;
    }

private:
    UINT m_format;
    HANDLE m_handle;
};

ClipboardData GlobalData(UINT format, const void* bytes, std::size_t count, std::size_t terminator = 0) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, count + terminator);
    GlobalLockGuard lock(block);
    if (lock.Data()) {
        std::memcpy(lock.Data(), bytes, count);
        std::memset(static_cast<char*>(lock.Data()) + count, 0, terminator);
    }
    return ClipboardData(format, lock.Data() ? block : nullptr);
}

// A header and pixel array that a reader of CF_DIB can draw without reading past the bytes.
bool IsDeviceIndependentBitmap(const void* bytes, std::size_t count) {
    BITMAPINFOHEADER header;
    if (count < sizeof header) return false;
    std::memcpy(&header, bytes, sizeof header);
    if (header.biSize < sizeof header || header.biSize > count || header.biPlanes != 1 || header.biWidth <= 0 ||
        header.biHeight == 0)
        return false;
    switch (header.biBitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
    }
    if (header.biCompression != BI_RGB && header.biCompression != BI_BITFIELDS) return false;
    // Each part is weighed against the bytes left for it, so no claim of a header can make a sum wrap.
    const std::uint64_t colours =
        header.biClrUsed ? header.biClrUsed : header.biBitCount <= 8 ? 1u << header.biBitCount : 0;
    const std::uint64_t masks = header.biCompression == BI_BITFIELDS && header.biSize == sizeof header ? 12 : 0;
    const std::uint64_t table = header.biSize + masks + colours * 4;
    if (table > count) return false;
    const std::uint64_t stride = (static_cast<std::uint64_t>(header.biWidth) * header.biBitCount + 31) / 32 * 4;
    const std::uint64_t rows = header.biHeight < 0 ? -static_cast<std::int64_t>(header.biHeight) : header.biHeight;
    return rows <= (count - table) / stride;
}

// A header record a reader of the metafile can trust: of its type and signature, whole within the bytes,
// telling their size, with its description within them.
bool IsEnhancedMetafile(const void* bytes, std::size_t count) {
    const std::size_t essential = offsetof(ENHMETAHEADER, cbPixelFormat);  // the fields every metafile has
    ENHMETAHEADER header{};
    if (count < essential) return false;
    std::memcpy(&header, bytes, essential);
    const std::uint64_t descriptionEnd = std::uint64_t{header.offDescription} + 2ull * header.nDescription;
    return header.iType == EMR_HEADER && header.dSignature == ENHMETA_SIGNATURE && header.nSize >= essential &&
           header.nSize <= count && header.nBytes == count && descriptionEnd <= count;
}

bool StartsWithRichTextHeader(const void* bytes, std::size_t count) {
    const char header[] = "{\\rtf";
    return count >= sizeof header - 1 && std::memcmp(bytes, header, sizeof header - 1) == 0;
}

// The clipboard handles that put a stored clip back; empty when its bytes are not of its type.
std::vector<ClipboardData> PrepareClip(UINT format, const void* bytes, std::size_t count) {
    std::vector<ClipboardData> data;
    if (format == CF_UNICODETEXT) {
        const std::wstring text = UnicodeClipText(bytes, count, count / sizeof(wchar_t));
        data.push_back(GlobalData(CF_UNICODETEXT, text.c_str(), text.size() * sizeof(wchar_t), sizeof(wchar_t)));
    } else if (format == CF_TEXT) {
        // A text block always ends in a NUL, whatever the stored bytes hold.
        bool terminated = std::memchr(bytes, 0, count) != nullptr;
        data.push_back(GlobalData(CF_TEXT, bytes, count, terminated ? 0 : 1));
    } else if (format == CF_DIB) {
        if (IsDeviceIndependentBitmap(bytes, count)) data.push_back(GlobalData(CF_DIB, bytes, count));
    } else if (format == CF_ENHMETAFILE) {
        HENHMETAFILE metafile = IsEnhancedMetafile(bytes, count)
                                    ? SetEnhMetaFileBits(static_cast<UINT>(count), static_cast<const BYTE*>(bytes))
                                    : nullptr;
        if (metafile) data.emplace_back(CF_ENHMETAFILE, metafile);
    } else if (format == g_nRichTextFormat && StartsWithRichTextHeader(bytes, count)) {
        data.push_back(GlobalData(format, bytes, count));
        // Beside the rich text its plain text, for the many programs that paste only that.
        std::wstring text = RichTextPlainText(static_cast<const char*>(bytes), count);
        if (!text.empty())
            data.push_back(GlobalData(CF_UNICODETEXT, text.c_str(), text.size() * sizeof(wchar_t), sizeof(wchar_t)));
    }
    return data;
}

// The types a capture stores; a stored clip of any other type is never put on the clipboard.
bool IsPuttableClipType(UINT type) {
    return type == CF_TEXT || type == CF_UNICODETEXT || type == CF_DIB || type == CF_ENHMETAFILE ||
           (type != 0 && type == g_nRichTextFormat);
}

}  // namespace

void SetClipboardOwnerWindow(HWND window) { s_ownerWindow = window; }

ClipboardWork::ClipboardWork() { ++g_bSkipClipChange; }

ClipboardWork::~ClipboardWork() {
    if (--g_bSkipClipChange == 0) s_givingUp = false;
}

bool IsClipboardBusy() { return g_bSkipClipChange != 0; }

void GiveUpClipboardWaits() { s_givingUp = IsClipboardBusy(); }

bool IsOwnClipboardContent() { return s_ownSequence == GetClipboardSequenceNumber(); }

void TakeClipboardContentAsOwn(DWORD sequence) { s_ownSequence = sequence; }

std::optional<DWORD> CopyAndWaitForChange(const SelectionCopy& copy, DWORD timeoutMs) {
    // Injected keys may answer sent messages while the hooks see them: the copy's notification may come then.
    ClipboardWork waiting;
    DWORD before = GetClipboardSequenceNumber();
    if (!copy([&before] { before = GetClipboardSequenceNumber(); })) return std::nullopt;
    // The number changes at the copier's EmptyClipboard; its content is whole once it has closed the clipboard.
    const DWORD start = GetTickCount();
    WaitAnsweringSentMessages(timeoutMs, nullptr, [before] {
        return GetClipboardSequenceNumber() != before && !GetOpenClipboardWindow() && CountClipboardFormats() > 0;
    });
    const DWORD elapsed = GetTickCount() - start;
    return elapsed < timeoutMs ? timeoutMs - elapsed : 0;
}

void StartClipboardReader() {
    if (!s_readerThread.reader) s_readerThread.Start();
}

ClipboardRead ReadClipboardClip(ClipboardClip& clip, bool textBesidePicture) {
    if (s_givingUp) return ClipboardRead::GivenUp;
    if (s_readerThread.IsBusy()) s_readerThread.LetGo(0);
    if (!s_readerThread.reader && !s_readerThread.Start()) return ClipboardRead::NotOpened;
    auto job = std::make_shared<ReadJob>();
    if (!job->done) return ClipboardRead::NotOpened;
    job->richText = g_nRichTextFormat;
    job->textBesidePicture = textBesidePicture;
    s_readerThread.lastJob = job;
    s_readerThread.reader->job = job;
    SetEvent(s_readerThread.reader->wake);
    ClipboardWork waiting;
    if (!WaitAnsweringSentMessages(kClipboardReadTimeoutMs, job->done)) {
        job->givenUp = true;
        return s_givingUp ? ClipboardRead::GivenUp : ClipboardRead::TimedOut;
    }
    clip = std::move(job->clip);
    return job->result;
}

void EndClipboardReader() {
    // A thread still inside a read that never came back cannot be waited for; the process's end ends it.
    s_readerThread.LetGo(s_readerThread.IsBusy() ? 0 : kClipboardReadTimeoutMs);
}

ClipboardWrite SetClipboardClip(UINT format, const void* bytes, std::size_t count) {
    if (!IsPuttableClipType(format)) return ClipboardWrite::UnknownType;
    std::vector<ClipboardData> data = PrepareClip(format, bytes, count);
    if (data.empty()) return ClipboardWrite::Damaged;
    const char mark = 0;
    if (ProgramsPutMark()) data.push_back(GlobalData(ProgramsPutMark(), &mark, sizeof mark));
    for (const ClipboardData& one : data)
        if (!one.IsReady()) return ClipboardWrite::NoMemory;

    // The close notifies this window at once: that notification is taken up once the write is known as the program's.
    ClipboardWork writing;
    const DWORD before = GetClipboardSequenceNumber();
    if (!OpenClipboardWithRetry(s_ownerWindow)) return ClipboardWrite::NotOpened;
    // A program that wrote the clipboard meanwhile (its number moved) would otherwise have its copy, notified at its
    // close, replaced before anything could capture it. One that only read it changed nothing.
    const DWORD opened = GetClipboardSequenceNumber();
    if (opened != before && s_ownerWindow && GetClipboardOwner() != s_ownerWindow && s_ownSequence != opened) {
        CloseClipboard();
        return ClipboardWrite::Overtaken;
    }
    ClipboardWrite result = ClipboardWrite::Done;
    EmptyClipboard();
    for (ClipboardData& one : data)
        if (!one.HandOver()) {
            result = ClipboardWrite::Refused;
            break;
        }
    CloseClipboard();
    // The number the close produced, unless another program has written since: it then owns the clipboard.
    const DWORD sequence = GetClipboardSequenceNumber();
    if (!s_ownerWindow || GetClipboardOwner() == s_ownerWindow) s_ownSequence = sequence;
    return result;
}

ClipboardRead ReadClipboardClipAndLog(ClipboardClip& clip, bool textBesidePicture) {
    const ClipboardRead result = ReadClipboardClip(clip, textBesidePicture);
    switch (result) {
    case ClipboardRead::Empty:
        WriteLog("Clipboard is empty", 0);
        break;
    case ClipboardRead::Excluded:
        WriteLog("Clipboard content excluded", 0);
        break;
    case ClipboardRead::NotOpened:
        WriteLog("Clipboard held by another program: copy not captured", 0);
        break;
    case ClipboardRead::TimedOut:
        WriteLog("Clipboard data did not arrive within 2 s: copy not captured", 0);
        break;
    case ClipboardRead::GivenUp:
        WriteLog("Clipboard read given up: the session ends", 0);
        break;
    case ClipboardRead::NotDelivered:
    case ClipboardRead::Done:
        break;
    }
    return result;
}

std::wstring ClipboardPlainText(const ClipboardClip& read) {
    if (read.format == CF_UNICODETEXT) return UnicodeClipText(read.bytes.data(), read.bytes.size());
    if (read.format == CF_TEXT) return WideText(read.bytes.data(), strnlen(read.bytes.data(), read.bytes.size()), CP_ACP);
    return read.text;
}

void TakeRichTextCaption(const ClipboardClip& read, char (&caption)[kCaptionSize]) {
    if (read.format != g_nRichTextFormat || !read.hasText) return;
    // Twice as many units as the caption shows bytes make all of them, whatever the code page.
    const std::string start = AnsiText(read.text.substr(0, 2 * kCaptionLength).c_str());
    TakeCaption(caption, start.c_str(), start.size());
    WriteLogFormat(0, "Rich text GlobalSize = %d", static_cast<int>(read.textBlockSize));
}

bool PutClipAndLog(UINT format, const void* bytes, std::size_t count) {
    ClipboardWrite result = SetClipboardClip(format, bytes, count);
    if (result == ClipboardWrite::Overtaken) {
        WriteLog("Clipboard written by another program meanwhile: its copy is captured first", 0);
        if (g_CaptureBeforePutHook) g_CaptureBeforePutHook();
        result = SetClipboardClip(format, bytes, count);
    }
    switch (result) {
    case ClipboardWrite::NotOpened:
    case ClipboardWrite::Overtaken:
        WriteLog("OpenClipboard error", 0);
        return false;
    case ClipboardWrite::NoMemory:
        WriteLog("GlobalAlloc error", 0);
        return false;
    case ClipboardWrite::UnknownType:
        WriteLogFormat(0, "Clip type 0x%X is not one this program stores: slot counts as empty", format);
        return false;
    case ClipboardWrite::Damaged:
        WriteLogFormat(0, "Clip bytes are not of type 0x%X: slot counts as empty", format);
        return false;
    case ClipboardWrite::Refused:
        WriteLog("SetClipboardData error", 0);
        return false;
    case ClipboardWrite::Done:
        break;
    }
    return true;
}

void FindRichTextFormat() {
    const UINT kFirstRegistered = 0xC000, kLastRegistered = 0xFFFE;
    for (UINT id = kFirstRegistered; id <= kLastRegistered; ++id) {
        char name[256] = "";
        if (GetClipboardFormatNameA(id, name, sizeof name) == 0) continue;
        if (_strnicmp(name, "Rich Text Format", sizeof name) == 0) {
            g_nRichTextFormat = id;
            WriteLogFormat(0, "Found format '%s' = 0x%X", name, id);
            return;
        }
        WriteLogFormat(0, "Enum Format: '%s' = 0x%X", name, id);
    }
    // No program has registered it yet this session: registering it here lets rich text be captured.
    g_nRichTextFormat = RegisterClipboardFormatA("Rich Text Format");
    if (g_nRichTextFormat != 0)
        WriteLogFormat(0, "Registered format 'Rich Text Format' = 0x%X", g_nRichTextFormat);
    else
        AfxMessageBox("Rich Text Format ID not found", MB_OK | MB_ICONEXCLAMATION);
}
