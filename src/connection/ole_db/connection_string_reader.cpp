#include "connection/ole_db/connection_string_reader.h"

#include "base/failure.h"
#include "base/text.h"
#include "connection/database_error.h"

namespace kestrel {

namespace {

// Names the piece by its position only: its text may be part of a password.
[[noreturn]] void Refuse(std::size_t piece, std::u16string_view what) {
    throw Failure{database_error::kBadConnectionString,
                  u"A cadeia de conexão não está no formato OLE DB: o trecho " +
                      DecimalText(static_cast<long long>(piece)) + std::u16string(what)};
}

class Reader {
public:
    explicit Reader(std::u16string_view text) : m_text(text) {}

    std::vector<OleDbAttribute> ReadAll() {
        std::vector<OleDbAttribute> attributes;
        while (true) {
            SkipBlanks();
            if (AtEnd()) {
                return attributes;
            }
            if (Current() == u';') {
                ++m_position;
                continue;
            }
            m_piece = attributes.size() + 1;
            OleDbAttribute attribute;
            attribute.keyword = ReadKeyword();
            attribute.value = ReadValue();
            attributes.push_back(std::move(attribute));
        }
    }

private:
    bool AtEnd() const { return m_position >= m_text.size(); }
    char16_t Current() const { return m_text[m_position]; }
    bool NextIs(char16_t c) const {
        return m_position + 1 < m_text.size() && m_text[m_position + 1] == c;
    }
    void SkipBlanks() {
        while (!AtEnd() && Current() == u' ') {
            ++m_position;
        }
    }

    std::u16string ReadKeyword() {
        std::u16string keyword;
        while (true) {
            if (AtEnd() || Current() == u';') {
                Refuse(m_piece, u" não tem \"=\".");
            }
            if (Current() == u'=') {
                if (!NextIs(u'=')) {
                    ++m_position;
                    break;
                }
                ++m_position;
            }
            keyword += Current();
            ++m_position;
        }
        keyword = TrimBlanks(keyword);
        if (keyword.empty()) {
            Refuse(m_piece, u" tem um valor sem nome.");
        }
        return keyword;
    }

    std::u16string ReadValue() {
        SkipBlanks();
        if (!AtEnd() && (Current() == u'"' || Current() == u'\'')) {
            return ReadQuotedValue();
        }
        const std::size_t start = m_position;
        while (!AtEnd() && Current() != u';') {
            ++m_position;
        }
        return std::u16string(TrimBlanks(m_text.substr(start, m_position - start)));
    }

    std::u16string ReadQuotedValue() {
        const char16_t quote = Current();
        ++m_position;
        std::u16string value;
        while (true) {
            if (AtEnd()) {
                Refuse(m_piece, u" abre aspas que não fecham.");
            }
            if (Current() == quote) {
                if (!NextIs(quote)) {
                    ++m_position;
                    break;
                }
                ++m_position;
            }
            value += Current();
            ++m_position;
        }
        SkipBlanks();
        if (!AtEnd() && Current() != u';') {
            Refuse(m_piece, u" tem texto depois das aspas que fecham o valor.");
        }
        return value;
    }

    std::u16string_view m_text;
    std::size_t m_position = 0;
    std::size_t m_piece = 0;
};

}  // namespace

std::vector<OleDbAttribute> ReadOleDbConnectionString(std::u16string_view text) {
    return Reader(text).ReadAll();
}

std::optional<std::u16string> FindOleDbValue(const std::vector<OleDbAttribute>& attributes,
                                             std::initializer_list<std::u16string_view> keywords) {
    for (auto it = attributes.rbegin(); it != attributes.rend(); ++it) {
        for (std::u16string_view keyword : keywords) {
            if (EqualsIgnoringCase(it->keyword, keyword)) {
                return it->value;
            }
        }
    }
    return std::nullopt;
}

}  // namespace kestrel
