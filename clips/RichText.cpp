#include "RichText.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <map>
#include <vector>

namespace {

// Groups whose text is not part of the document's text.
const char* const kHiddenDestinations[] = {
    "colortbl", "stylesheet", "info",     "pict",      "object",   "header",       "headerl",  "headerr",
    "headerf",  "footer",     "footerl",  "footerr",   "footerf",  "footnote",     "fldinst",  "xe",
    "tc",       "txe",        "rxe",      "listtable", "listoverridetable", "revtbl", "rsidtbl", "themedata",
    "colorschememapping", "latentstyles", "datastore", "generator", "xmlnstbl", "mmathPr", "pgdsctbl",
    "filetbl",  "nonshppict", "pntext",   "listtext",  "fonttbl",
};

// Control words that stand for a character or a line end.
const std::map<std::string, const wchar_t*>& TextWords() {
    static const std::map<std::string, const wchar_t*> words = {
        {"par", L"\r\n"},      {"line", L"\r\n"},      {"sect", L"\r\n"},      {"page", L"\r\n"},
        {"row", L"\r\n"},      {"tab", L"\t"},         {"cell", L"\t"},        {"emdash", L"\u2014"},
        {"endash", L"\u2013"}, {"bullet", L"\u2022"},  {"lquote", L"\u2018"},  {"rquote", L"\u2019"},
        {"ldblquote", L"\u201C"}, {"rdblquote", L"\u201D"}, {"emspace", L"\u2003"}, {"enspace", L"\u2002"},
    };
    return words;
}

bool IsHiddenDestination(const std::string& word) {
    for (const char* hidden : kHiddenDestinations)
        if (word == hidden) return true;
    return false;
}

// The code page of a font's character set; 0 where the document's own code page applies.
UINT CodePageOfCharset(long charset) {
    if (charset == DEFAULT_CHARSET || charset == SYMBOL_CHARSET || charset < 0) return 0;
    CHARSETINFO info{};
    auto source = reinterpret_cast<DWORD*>(static_cast<DWORD_PTR>(charset));
    return TranslateCharsetInfo(source, &info, TCI_SRCCHARSET) ? info.ciACP : 0;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

class RichTextReader {
public:
    RichTextReader(const char* rtf, std::size_t count) : m_next(rtf), m_end(rtf + count) {
        if (const void* nul = std::memchr(rtf, 0, count)) m_end = static_cast<const char*>(nul);
    }

    std::wstring Read() {
        while (m_next < m_end) {
            const char c = *m_next++;
            if (c == '{') {
                m_groups.push_back(m_group);
                m_fallbackLeft = 0;
            } else if (c == '}') {
                if (m_groups.empty()) break;  // the document's own group has ended
                m_group = m_groups.back();
                m_groups.pop_back();
                m_fallbackLeft = 0;
            } else if (c == '\\') {
                ReadControl();
            } else if (c != '\r' && c != '\n') {
                AddByte(c);
            }
        }
        Convert();
        return std::move(m_text);
    }

private:
    struct Group {
        bool hidden = false;
        bool fontTable = false;
        int unicodeFallback = 1;  // \ucN: how many characters after a \uN stand in for it
        long font = -1;
    };

    void ReadControl() {
        if (m_next >= m_end) return;
        const char symbol = *m_next;
        if (!std::isalpha(static_cast<unsigned char>(symbol))) {
            ++m_next;
            ReadSymbol(symbol);
            return;
        }
        std::string word;
        while (m_next < m_end && std::isalpha(static_cast<unsigned char>(*m_next))) word += *m_next++;
        const bool negative = m_next < m_end && *m_next == '-';
        if (negative) ++m_next;
        bool hasNumber = false;
        long number = 0;
        for (; m_next < m_end && std::isdigit(static_cast<unsigned char>(*m_next)); ++m_next) {
            hasNumber = true;
            if (number < 100000000) number = number * 10 + (*m_next - '0');
        }
        if (negative) number = -number;
        if (m_next < m_end && *m_next == ' ') ++m_next;  // the space ends the word and is no text
        ReadWord(word, hasNumber, number);
    }

    void ReadSymbol(char symbol) {
        switch (symbol) {
        case '\'': {
            const int high = m_next < m_end ? HexDigit(m_next[0]) : -1;
            const int low = m_next + 1 < m_end ? HexDigit(m_next[1]) : -1;
            if (high < 0 || low < 0) return;
            m_next += 2;
            AddByte(static_cast<char>(high * 16 + low));
            return;
        }
        case '*':
            m_group.hidden = true;  // a group of a kind the reader may not know: never text
            return;
        case '~':
            AddText(L"\u00A0");
            return;
        case '_':
            AddText(L"\u2011");
            return;
        case '\r':
        case '\n':
            AddText(L"\r\n");
            return;
        case '\\':
        case '{':
        case '}':
            AddByte(symbol);
            return;
        default:  // an optional hyphen, a formula character: nothing to show
            TakeFallback();
            return;
        }
    }

    void ReadWord(const std::string& word, bool hasNumber, long number) {
        if (word == "bin") {  // raw bytes follow, braces and backslashes among them
            m_next += std::min<std::ptrdiff_t>(hasNumber && number > 0 ? number : 0, m_end - m_next);
            return;
        }
        if (word == "u" && hasNumber) {
            const wchar_t unit[] = {static_cast<wchar_t>(number < 0 ? number + 65536 : number), L'\0'};
            AddText(unit);
            m_fallbackLeft = m_group.unicodeFallback;
            return;
        }
        if (TakeFallback()) return;
        const auto text = TextWords().find(word);
        if (text != TextWords().end()) {
            AddText(text->second);
        } else if (word == "uc") {
            m_group.unicodeFallback = number > 0 ? static_cast<int>(number) : 0;
        } else if (word == "ansicpg" && number > 0) {
            m_documentCodePage = static_cast<UINT>(number);
        } else if (word == "mac") {
            m_documentCodePage = 10000;
        } else if (word == "pc") {
            m_documentCodePage = 437;
        } else if (word == "pca") {
            m_documentCodePage = 850;
        } else if (word == "f") {
            m_group.font = number;
        } else if (word == "fcharset" && m_group.fontTable) {
            m_fontCodePages[m_group.font] = CodePageOfCharset(number);
        } else if (IsHiddenDestination(word)) {
            m_group.hidden = true;
            m_group.fontTable = word == "fonttbl";
        }
    }

    // Characters after a \uN that stand in for it are dropped: true when this one was.
    bool TakeFallback() {
        if (m_fallbackLeft == 0) return false;
        --m_fallbackLeft;
        return true;
    }

    void AddByte(char byte) {
        if (TakeFallback() || m_group.hidden) return;
        const auto font = m_fontCodePages.find(m_group.font);
        const UINT codePage = font != m_fontCodePages.end() && font->second ? font->second : m_documentCodePage;
        if (codePage != m_bytesCodePage) Convert();
        m_bytesCodePage = codePage;
        m_bytes.push_back(byte);
    }

    void AddText(const wchar_t* text) {
        if (m_group.hidden) return;
        Convert();
        m_text += text;
    }

    // Bytes wait until a run of one code page ends, so a double-byte character is converted whole.
    void Convert() {
        if (m_bytes.empty()) return;
        const int length = static_cast<int>(m_bytes.size());
        UINT codePage = m_bytesCodePage;
        int wide = MultiByteToWideChar(codePage, 0, m_bytes.data(), length, nullptr, 0);
        if (wide <= 0) {  // a code page this system lacks
            codePage = CP_ACP;
            wide = MultiByteToWideChar(codePage, 0, m_bytes.data(), length, nullptr, 0);
        }
        const std::size_t start = m_text.size();
        m_text.resize(start + static_cast<std::size_t>(wide > 0 ? wide : 0));
        if (wide > 0) MultiByteToWideChar(codePage, 0, m_bytes.data(), length, &m_text[start], wide);
        m_bytes.clear();
    }

    const char* m_next;
    const char* m_end;
    Group m_group;
    std::vector<Group> m_groups;
    int m_fallbackLeft = 0;
    UINT m_documentCodePage = 1252;
    std::map<long, UINT> m_fontCodePages;
    std::string m_bytes;
    UINT m_bytesCodePage = 1252;
    std::wstring m_text;
};

}  // namespace

std::wstring RichTextPlainText(const char* rtf, std::size_t count) { return RichTextReader(rtf, count).Read(); }
