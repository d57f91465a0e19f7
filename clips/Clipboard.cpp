#include "Clipboard.h"

#include <ole2.h>

#include <cstring>

#include "base/Log.h"
#include "framework/Prompts.h"

UINT g_nRichTextFormat = 0;
int g_bSkipClipChange = 0;

namespace {

bool IsAcceptedFormat(UINT format) {
    switch (format) {
    case CF_TEXT:
    case CF_BITMAP:
    case CF_DIB:
    case CF_ENHMETAFILE:
        return true;
    default:
        return g_nRichTextFormat != 0 && format == g_nRichTextFormat;
    }
}

FORMATETC FormatRequest(UINT format, DWORD media) {
    return FORMATETC{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, media};
}

const DWORD kAnyMedium = TYMED_HGLOBAL | TYMED_FILE | TYMED_ISTREAM | TYMED_ISTORAGE | TYMED_GDI | TYMED_MFPICT |
                         TYMED_ENHMF;

// A copy of a block we may not keep; empty when the source cannot be read.
GlobalBlock CopyBlock(HGLOBAL source) {
    GlobalLockGuard from(source);
    if (!from.Data()) return GlobalBlock();
    SIZE_T size = from.Size();
    GlobalBlock copy(GlobalAlloc(GMEM_MOVEABLE, size));
    GlobalLockGuard to(copy.Get());
    if (!to.Data()) return GlobalBlock();
    std::memcpy(to.Data(), from.Data(), size);
    return copy;
}

}  // namespace

UINT ChooseClipFormat() {
    ComPtr<IDataObject> data;
    if (FAILED(OleGetClipboard(data.Put())) || !data) return 0;
    ComPtr<IEnumFORMATETC> formats;
    if (FAILED(data->EnumFormatEtc(DATADIR_GET, formats.Put())) || !formats) return 0;

    FORMATETC offered;
    while (formats->Next(1, &offered, nullptr) == S_OK) {
        if (offered.ptd) CoTaskMemFree(offered.ptd);
        UINT format = offered.cfFormat;
        if (!IsAcceptedFormat(format)) continue;
        FORMATETC request = FormatRequest(format, kAnyMedium);
        if (data->QueryGetData(&request) == S_OK) return format;
    }
    return 0;
}

GlobalBlock GetClipBlock(UINT format) {
    ComPtr<IDataObject> data;
    if (FAILED(OleGetClipboard(data.Put())) || !data) return GlobalBlock();
    FORMATETC request = FormatRequest(format, TYMED_HGLOBAL | TYMED_MFPICT);
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&request, &medium))) return GlobalBlock();

    if ((medium.tymed == TYMED_HGLOBAL || medium.tymed == TYMED_MFPICT) && medium.hGlobal) {
        // Without a release interface the block is ours; with one it belongs to the source.
        if (!medium.pUnkForRelease) return GlobalBlock(medium.hGlobal);
        GlobalBlock copy = CopyBlock(medium.hGlobal);
        ReleaseStgMedium(&medium);
        return copy;
    }
    ReleaseStgMedium(&medium);
    return GlobalBlock();
}

ClipboardWrite ReplaceOpenClipboard(UINT format, const void* bytes, std::size_t count) {
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, count));
    {
        GlobalLockGuard lock(block.Get());
        if (!lock.Data()) return ClipboardWrite::NoMemory;
        std::memcpy(lock.Data(), bytes, count);
    }
    g_bSkipClipChange = 1;
    EmptyClipboard();
    // On success the clipboard owns the block; otherwise it is still ours to free.
    if (SetClipboardData(format, block.Get())) block.Release();
    return ClipboardWrite::Done;
}

ClipboardWrite SetClipboardClip(UINT format, const void* bytes, std::size_t count) {
    ClipboardSession clipboard;
    if (!clipboard.IsOpen()) return ClipboardWrite::NotOpened;
    return ReplaceOpenClipboard(format, bytes, count);
}

void FindRichTextFormat() {
    const char kRichText[] = "Rich Text Format";
    char name[256];
    for (UINT format = 0xC000; format <= 0xFFFE; ++format) {
        if (GetClipboardFormatNameA(format, name, sizeof name) <= 0) continue;
        WriteLogFormat(0, "Enum Format: '%s' = 0x%X", name, format);
        if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name, -1, kRichText, -1) == CSTR_EQUAL) {
            g_nRichTextFormat = format;
            WriteLogFormat(0, "Found format '%s' = 0x%X", name, format);
            return;
        }
    }
    AfxMessageBox("Rich Text Format ID not found", MB_OK | MB_ICONEXCLAMATION);
}
