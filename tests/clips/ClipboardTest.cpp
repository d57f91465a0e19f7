#include "clips/Clipboard.h"

#include <cstring>
#include <thread>

#include "support/ClipStoreFixture.h"

using ClipboardTest = ClipStoreTest;

namespace {

bool PutHandle(UINT format, HANDLE handle) {
    if (!OpenWithRetry()) return false;
    EmptyClipboard();
    bool ok = SetClipboardData(format, handle) != nullptr;
    CloseClipboard();
    return ok;
}

std::string Bytes(const ClipboardClip& clip) { return std::string(clip.bytes.begin(), clip.bytes.end()); }

}  // namespace

TEST_F(ClipboardTest, TheFirstStoredFormatInTheClipboardsOrderIsReadWithItsTextAndPutBack) {
    const UINT unaccepted = RegisterClipboardFormatA("Quorvex Test Private");
    const UINT exclude = RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing");
    const UINT history = RegisterClipboardFormatA("CanIncludeInClipboardHistory");
    const UINT viewerIgnore = RegisterClipboardFormatA("Clipboard Viewer Ignore");
    const std::string rtf = "{\\rtf1 R}";
    const std::string secret("secret\0", 7);
    struct Case {
        std::vector<std::pair<UINT, std::string>> offered;
        UINT richText;
        ClipboardRead result;
        UINT format;
        std::string bytes;
        const char* text;  // null: the code page's stand-ins are not checked
    } cases[] = {
        {{{unaccepted, "x"}, {RichTextId(), rtf}, {CF_TEXT, std::string("plain\0", 6)}}, RichTextId(), ClipboardRead::Done,
         RichTextId(), rtf, "plain"},
        {{{CF_TEXT, std::string("plain\0tail\0", 11)}, {RichTextId(), rtf}}, RichTextId(), ClipboardRead::Done, CF_TEXT,
         std::string("plain\0tail\0", 11), ""},
        {{{RichTextId(), rtf}}, 0, ClipboardRead::Empty, 0, "", ""},
        {{{unaccepted, "x"}}, RichTextId(), ClipboardRead::Empty, 0, "", ""},
        {{}, RichTextId(), ClipboardRead::Empty, 0, "", ""},
        // Unicode text stays Unicode when the ANSI code page would change it, and only then.
        {{{CF_UNICODETEXT, Utf16Bytes(L"Привет, мир")}}, 0, ClipboardRead::Done, CF_UNICODETEXT,
         Utf16Bytes(L"Привет, мир"), "??????, ???"},
        {{{CF_UNICODETEXT, Utf16Bytes(L"Καλημέρα")}}, 0, ClipboardRead::Done, CF_UNICODETEXT, Utf16Bytes(L"Καλημέρα"),
         nullptr},
        {{{CF_UNICODETEXT, Utf16Bytes(L"你好世界")}}, 0, ClipboardRead::Done, CF_UNICODETEXT, Utf16Bytes(L"你好世界"),
         nullptr},
        {{{CF_UNICODETEXT, Utf16Bytes(L"ok 😀") + "tail"}}, 0, ClipboardRead::Done, CF_UNICODETEXT,
         Utf16Bytes(L"ok 😀"), nullptr},
        {{{CF_UNICODETEXT, Utf16Bytes(L"plain")}}, 0, ClipboardRead::Done, CF_TEXT, std::string("plain\0", 6), ""},
        {{{CF_UNICODETEXT, Utf16Bytes(L"café")}}, 0, ClipboardRead::Done, CF_TEXT, std::string("caf\xE9\0", 5), ""},
        // An owner that puts both forms, its ANSI text first, keeps what only its Unicode text holds.
        {{{CF_TEXT, std::string("??\0", 3)}, {CF_UNICODETEXT, Utf16Bytes(L"Жж")}}, 0, ClipboardRead::Done,
         CF_UNICODETEXT, Utf16Bytes(L"Жж"), "??"},
        {{{CF_TEXT, std::string("ok\0tail\0", 8)}, {CF_UNICODETEXT, Utf16Bytes(L"ok")}}, 0, ClipboardRead::Done,
         CF_TEXT, std::string("ok\0tail\0", 8), ""},
        // Content its owner marked private is not read; a history mark that allows it changes nothing.
        {{{exclude, "1"}, {CF_TEXT, secret}}, 0, ClipboardRead::Excluded, 0, "", ""},
        {{{CF_TEXT, secret}, {viewerIgnore, "1"}}, 0, ClipboardRead::Excluded, 0, "", ""},
        {{{CF_TEXT, secret}, {history, std::string(4, '\0')}}, 0, ClipboardRead::Excluded, 0, "", ""},
        {{{CF_TEXT, secret}, {history, std::string("\1\0\0\0", 4)}}, 0, ClipboardRead::Done, CF_TEXT, secret, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        ASSERT_TRUE(c.offered.empty() ? ClearClipboard() : FillClipboard(c.offered));
        g_nRichTextFormat = c.richText;
        ClipboardClip clip;
        EXPECT_EQ(ReadClipboardClip(clip), c.result);
        EXPECT_EQ(clip.format, c.format);
        EXPECT_EQ(Bytes(clip), c.bytes);
        if (c.text) {
            EXPECT_EQ(clip.text, c.text);
        }
        EXPECT_EQ(clip.sequence, GetClipboardSequenceNumber());
        if (c.result != ClipboardRead::Done) continue;
        ASSERT_EQ(SetClipboardClip(clip.format, clip.bytes.data(), clip.bytes.size()), ClipboardWrite::Done);
        EXPECT_EQ(ClipboardBytes(clip.format), c.bytes);
    }
}

TEST_F(ClipboardTest, ABitmapIsReadAsDeviceIndependentBytesAndPutBackAsTheSamePicture) {
    auto stripes = [](int x) { return x % 2 ? RGB(250, 200, 0) : RGB(0, 90, 160); };
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 6, 4);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int x = 0; x < 6; ++x)
        for (int y = 0; y < 4; ++y) SetPixel(dc, x, y, stripes(x));
    SelectObject(dc, old);
    ASSERT_TRUE(PutHandle(CF_BITMAP, bitmap));
    ClipboardClip read;
    ASSERT_EQ(ReadClipboardClip(read), ClipboardRead::Done);
    EXPECT_EQ(read.format, static_cast<UINT>(CF_DIB));
    ClearClipboard();
    ASSERT_EQ(SetClipboardClip(read.format, read.bytes.data(), read.bytes.size()), ClipboardWrite::Done);
    ASSERT_TRUE(OpenWithRetry());
    HBITMAP pasted = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    ASSERT_NE(pasted, nullptr);
    old = SelectObject(dc, pasted);
    for (int x = 0; x < 6; ++x)
        for (int y = 0; y < 4; ++y) EXPECT_EQ(GetPixel(dc, x, y), GetNearestColor(screen, stripes(x))) << x << "," << y;
    SelectObject(dc, old);
    CloseClipboard();
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

TEST_F(ClipboardTest, AnEnhancedMetafileIsReadAsItsBitsAndPutBackAsAMetafile) {
    HDC recorder = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    Rectangle(recorder, 1, 2, 30, 40);
    HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
    std::vector<char> bits(GetEnhMetaFileBits(metafile, 0, nullptr));
    GetEnhMetaFileBits(metafile, static_cast<UINT>(bits.size()), reinterpret_cast<BYTE*>(bits.data()));
    ASSERT_TRUE(PutHandle(CF_ENHMETAFILE, metafile));
    ClipboardClip read;
    ASSERT_EQ(ReadClipboardClip(read), ClipboardRead::Done);
    EXPECT_EQ(read.format, static_cast<UINT>(CF_ENHMETAFILE));
    EXPECT_EQ(read.bytes, bits);
    ClearClipboard();
    ASSERT_EQ(SetClipboardClip(CF_ENHMETAFILE, bits.data(), bits.size()), ClipboardWrite::Done);
    ClipboardClip again;
    ASSERT_EQ(ReadClipboardClip(again), ClipboardRead::Done);
    EXPECT_EQ(again.bytes, bits);
}

TEST_F(ClipboardTest, RichTextIsPutWithThePlainTextItsMarkupHoldsAndTextAlone) {
    const struct {
        const char* rtf;
        const wchar_t* plain;
    } cases[] = {
        {"{\\rtf1\\ansi Hello {\\b bold}\\par second line}", L"Hello bold\r\nsecond line"},
        // Fonts, colours, pictures, ignorable groups and a field's instruction are no text.
        {"{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red255;}{\\*\\generator x;}A{\\pict\\pngblip\\bin2 }{}"
         "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt B}}C}",
         L"ABC"},
        // Escapes, tabs, a Unicode character with its fallback skipped, bytes in the document's code page.
        {"{\\rtf1\\ansi\\ansicpg1251 \\{x\\}\\\\\\tab y\\u8364?\\'cf\\'f0\\line}", L"{x}\\\ty\u20AC\u041F\u0440\r\n"},
        // A font's character set chooses its bytes' code page, double-byte ones too; \uc2 skips two.
        {"{\\rtf1\\ansi{\\fonttbl{\\f1\\fcharset204 X;}{\\f2\\fcharset128 Y;}}\\f1\\'cf{\\f2\\'95\\'5c}\\uc2\\u26085\\'93\\'fa.}",
         L"\u041F\u8868\u65E5."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rtf);
        const std::string rich(c.rtf, std::strlen(c.rtf) + 1);
        EXPECT_EQ(SetClipboardClip(g_nRichTextFormat, rich.data(), rich.size()), ClipboardWrite::Done);
        EXPECT_EQ(g_bSkipClipChange, 1);
        EXPECT_EQ(ClipboardBytes(g_nRichTextFormat), rich);
        EXPECT_EQ(ClipboardBytes(CF_UNICODETEXT), Utf16Bytes(c.plain));
    }

    // Text without its NUL still arrives terminated, and alone.
    EXPECT_EQ(SetClipboardClip(CF_TEXT, "abc", 3), ClipboardWrite::Done);
    EXPECT_EQ(ClipboardBytes(CF_TEXT), std::string("abc\0", 4));
    EXPECT_EQ(ClipboardBytes(g_nRichTextFormat), "<none>");
}

TEST_F(ClipboardTest, StoredBytesThatAreNotOfTheirTypeLeaveTheClipboardAlone) {
    auto bitmap = [](LONG width, LONG height, WORD bits, DWORD coloursUsed, std::size_t pixelBytes) {
        BITMAPINFOHEADER header{sizeof header, width, height, 1, bits, BI_RGB, 0, 0, 0, coloursUsed, 0};
        return std::string(reinterpret_cast<const char*>(&header), sizeof header) + std::string(pixelBytes, '\x7F');
    };
    const struct {
        UINT type;
        std::string bytes;
        ClipboardWrite result;
    } cases[] = {
        {CF_DIB, "text where a bitmap belongs", ClipboardWrite::Damaged},
        {CF_DIB, bitmap(2, 2, 24, 0, 8), ClipboardWrite::Damaged},  // 16 bytes of pixels promised
        {CF_DIB, bitmap(0x7FFFFFFF, 0x7FFFFFFF, 32, 0xFFFFFFFF, 0), ClipboardWrite::Damaged},
        {CF_DIB, bitmap(1, -0x7FFFFFFF, 1, 2, 8), ClipboardWrite::Damaged},
        {CF_ENHMETAFILE, "text where a metafile belongs", ClipboardWrite::Damaged},
        {RichTextId(), "text where rich text belongs", ClipboardWrite::Damaged},
        {CF_HDROP, std::string("C:\\windows\\win.ini\0\0", 20), ClipboardWrite::UnknownType},
        {CF_BITMAP, "text as a bitmap handle", ClipboardWrite::UnknownType},
        {CF_DIB, bitmap(2, 2, 24, 0, 16), ClipboardWrite::Done},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        ASSERT_TRUE(PutTextOnClipboard("untouched"));
        const DWORD untouched = GetClipboardSequenceNumber();
        EXPECT_EQ(SetClipboardClip(c.type, c.bytes.data(), c.bytes.size()), c.result);
        EXPECT_EQ(GetClipboardSequenceNumber() == untouched, c.result != ClipboardWrite::Done);
    }
}

// The program that just copied often keeps the clipboard open a moment after its copy was announced.
TEST_F(ClipboardTest, AClipboardHeldForAMomentByAnotherProgramDelaysAReadAndAPutButFailsNeither) {
    ASSERT_TRUE(PutTextOnClipboard("held a moment"));
    for (bool put : {false, true}) {
        HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::thread holder([&] {
            // Under Wine a clipboard opened without a window does not keep other threads out.
            HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
            OpenWithRetry(window);
            SetEvent(opened);
            Sleep(50);
            CloseClipboard();
            DestroyWindow(window);
        });
        WaitForSingleObject(opened, INFINITE);
        ClipboardClip read;
        if (put)
            EXPECT_EQ(SetClipboardClip(CF_TEXT, "put", 4), ClipboardWrite::Done);
        else
            EXPECT_EQ(ReadClipboardClip(read), ClipboardRead::Done);
        holder.join();
        CloseHandle(opened);
        EXPECT_EQ(put ? ClipboardText() : std::string(read.bytes.data()), put ? "put" : "held a moment");
    }
}

TEST_F(ClipboardTest, FindRichTextFormatRegistersTheSharedIdAndLogsOnlyIt) {
    g_nRichTextFormat = 0;
    FindRichTextFormat();
    EXPECT_EQ(g_nRichTextFormat, RichTextId());
    EXPECT_EQ(folder.LogLines(), std::vector<std::string>{"Found format 'Rich Text Format' = " + TypeValue(RichTextId())});
}
