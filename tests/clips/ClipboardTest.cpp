#include "clips/Clipboard.h"

#include <cstring>
#include <functional>

#include "support/ClipStoreFixture.h"

using ClipboardTest = ClipStoreTest;

TEST_F(ClipboardTest, PicturesAreReadAsBytesAndPutBackAsTheSameBytes) {
    const DWORD pixels[4] = {0xFFC800, 0x005AA0, 0x005AA0, 0xFFC800};
    HDC recorder = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);  // a metafile that draws nothing
    // A bitmap is read as the device-independent bytes the clipboard makes of it, a metafile as its bits. The text its
    // owner promised beside it is asked of the owner only when wanted (for the append file): an owner may render each
    // format slowly, and a read holds the clipboard meanwhile.
    const std::tuple<UINT, HANDLE, UINT> cases[] = {{CF_BITMAP, CreateBitmap(2, 2, 1, 32, pixels), CF_DIB},
                                                    {CF_ENHMETAFILE, CloseEnhMetaFile(recorder), CF_ENHMETAFILE}};
    static int asked;
    HWND owner = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND hWnd, UINT message, WPARAM wp, LPARAM lp) {
                          asked += message == WM_RENDERFORMAT;
                          return DefWindowProcA(hWnd, message, wp, lp);
                      }));
    for (const auto& [put, handle, format] : cases) {
        asked = 0;
        ASSERT_TRUE(OpenWithRetry(owner));
        EmptyClipboard();
        EXPECT_NE(SetClipboardData(put, handle), nullptr);
        SetClipboardData(CF_TEXT, nullptr);
        CloseClipboard();
        ClipboardClip read, again, withText;
        ASSERT_EQ(ReadClipboardClip(read, false), ClipboardRead::Done);
        EXPECT_EQ(asked, 0);
        ASSERT_EQ(ReadClipboardClip(withText), ClipboardRead::Done);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(read.format, format);
        EXPECT_EQ(ClipMenuCaption("Ctl-1", format, read.bytes.data(), read.bytes.size(), "", CaptionStyle::RecentItem),
                  L"Ctl-1 <PICTURE>");
        ASSERT_EQ(SetClipboardClip(read.format, read.bytes.data(), read.bytes.size()), ClipboardWrite::Done);
        ASSERT_EQ(ReadClipboardClip(again), ClipboardRead::Done);
        EXPECT_EQ(again.bytes, read.bytes);
    }
    DestroyWindow(owner);
}

TEST_F(ClipboardTest, RichTextIsPutWithThePlainTextItsMarkupHoldsAndTextAlwaysEndsInANul) {
    const std::pair<std::string, std::wstring> cases[] = {
        // No-break space and hyphen; a soft hyphen with the optional-hyphen symbol as its fallback.
        {"{\\rtf1\\ansi Hello {\\b bold}\\par a\\~b\\_c\\u173\\-d}", L"Hello bold\r\na\u00A0b\u2011c\u00ADd"},
        // Fonts, colours, pictures, ignorable groups and a field's instruction are no text.
        {"{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red255;}{\\*\\generator x;}A{\\pict\\pngblip\\bin2 }{}"
         "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt B}}C}",
         L"ABC"},
        // Escapes, tabs, a Unicode character with its fallback skipped, bytes in the document's code page.
        {"{\\rtf1\\ansi\\ansicpg1251 \\{x\\}\\\\\\tab y\\u8364?\\'cf\\'f0\\line}", L"{x}\\\ty\u20AC\u041F\u0440\r\n"},
        // A font's character set chooses its bytes' code page, double-byte ones too; \uc2 skips two.
        {"{\\rtf1\\ansi{\\fonttbl{\\f1\\fcharset204\\fprq2 X;}{\\f2\\fcharset128 Y;}}\\f1\\'cf{\\f2\\'95\\'5c}"
         "\\uc2\\u26085\\'93\\'fa.}", L"\u041F\u8868\u65E5."},
        // A font the table does not name takes the document's code page.
        {"{\\rtf1\\ansi\\ansicpg1251\\f9\\'cf}", L"\u041F"},
        // As large as a clip may be, in one unbroken line.
        {"{\\rtf1 " + std::string(249990, 'w') + "}", std::wstring(249990, L'w')},
    };
    for (const auto& [rtf, plain] : cases) {
        const std::string rich = rtf + '\0';
        EXPECT_EQ(SetClipboardClip(g_nRichTextFormat, rich.data(), rich.size()), ClipboardWrite::Done);
        EXPECT_EQ(ClipboardBytes(g_nRichTextFormat), rich);
        EXPECT_EQ(ClipboardBytes(CF_UNICODETEXT), Utf16Bytes(plain)) << rtf.substr(0, 100);
    }
    // Text without its NUL still arrives terminated.
    EXPECT_EQ(SetClipboardClip(CF_TEXT, "abc", 3), ClipboardWrite::Done);
    EXPECT_EQ(ClipboardBytes(CF_TEXT), std::string("abc\0", 4));
}

TEST_F(ClipboardTest, StoredBytesThatAreNotOfTheirTypeLeaveTheClipboardAlone) {
    auto bitmap = [](LONG width, LONG height, WORD bits, DWORD coloursUsed, std::size_t pixelBytes) {
        BITMAPINFOHEADER header{sizeof header, width, height, 1, bits, BI_RGB, 0, 0, 0, coloursUsed, 0};
        return std::string(reinterpret_cast<const char*>(&header), sizeof header) + std::string(pixelBytes, '\x7F');
    };
    auto compressed = [](std::string dib) {
        reinterpret_cast<BITMAPINFOHEADER*>(dib.data())->biCompression = BI_RLE8;
        return dib;
    };
    // A metafile that draws a rectangle, as its bits, its header changed by `change`, the last `cut` bytes left out.
    auto metafile = [](const std::function<void(ENHMETAHEADER&)>& change, std::size_t cut = 0) {
        HDC recorder = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
        Rectangle(recorder, 1, 1, 20, 20);
        HENHMETAFILE drawn = CloseEnhMetaFile(recorder);
        std::string bits(GetEnhMetaFileBits(drawn, 0, nullptr), '\0');
        GetEnhMetaFileBits(drawn, static_cast<UINT>(bits.size()), reinterpret_cast<BYTE*>(bits.data()));
        DeleteEnhMetaFile(drawn);
        change(*reinterpret_cast<ENHMETAHEADER*>(bits.data()));
        return bits.substr(0, bits.size() - cut);
    };
    const std::tuple<UINT, std::string, ClipboardWrite> cases[] = {
        {CF_DIB, "text where a bitmap belongs", ClipboardWrite::Damaged},
        {CF_DIB, bitmap(2, 2, 24, 0, 8), ClipboardWrite::Damaged},  // 16 bytes of pixels promised
        {CF_DIB, bitmap(2, 2, 7, 0, 16), ClipboardWrite::Damaged},  // no such pixel size
        {CF_DIB, bitmap(2, 2, 8, 0, 8), ClipboardWrite::Damaged},   // its 256 colours missing
        {CF_DIB, bitmap(0, 2, 24, 0, 8), ClipboardWrite::Damaged},  // no pixel across
        {CF_DIB, compressed(bitmap(2, 2, 8, 0, 1024 + 8)), ClipboardWrite::Damaged},  // run-length pixels unread
        {CF_DIB, bitmap(0x7FFFFFFF, 0x7FFFFFFF, 32, 0xFFFFFFFF, 0), ClipboardWrite::Damaged},
        {CF_DIB, bitmap(1, -0x7FFFFFFF, 1, 2, 8), ClipboardWrite::Damaged},
        {CF_ENHMETAFILE, "text where a metafile belongs", ClipboardWrite::Damaged},
        {CF_ENHMETAFILE, metafile([](ENHMETAHEADER&) {}).substr(0, 80), ClipboardWrite::Damaged},
        {CF_ENHMETAFILE, metafile([](ENHMETAHEADER&) {}, 4), ClipboardWrite::Damaged},  // records cut off
        {CF_ENHMETAFILE, metafile([](ENHMETAHEADER& h) { h.iType = EMR_EOF; }), ClipboardWrite::Damaged},
        {CF_ENHMETAFILE, metafile([](ENHMETAHEADER& h) { h.nSize = 40; }), ClipboardWrite::Damaged},
        {CF_ENHMETAFILE, metafile([](ENHMETAHEADER& h) { h.nSize = 0x10000; }), ClipboardWrite::Damaged},
        {CF_ENHMETAFILE, metafile([](ENHMETAHEADER& h) { h.dSignature = 0; }), ClipboardWrite::Damaged},
        {CF_ENHMETAFILE, metafile([](ENHMETAHEADER& h) { h.offDescription = h.nBytes - 2, h.nDescription = 2; }),
         ClipboardWrite::Damaged},  // a description past the end
        {CF_ENHMETAFILE, metafile([](ENHMETAHEADER&) {}), ClipboardWrite::Done},
        {RichTextId(), "text where rich text belongs", ClipboardWrite::Damaged},
        {CF_HDROP, std::string("C:\\windows\\win.ini\0\0", 20), ClipboardWrite::UnknownType},
        {CF_DIB, bitmap(2, 2, 24, 0, 16), ClipboardWrite::Done},
    };
    for (const auto& [type, bytes, result] : cases) {
        ASSERT_TRUE(PutTextOnClipboard("untouched"));
        const DWORD untouched = GetClipboardSequenceNumber();
        EXPECT_EQ(SetClipboardClip(type, bytes.data(), bytes.size()), result) << bytes.substr(0, 40);
        EXPECT_EQ(GetClipboardSequenceNumber() == untouched, result != ClipboardWrite::Done);
    }
}
