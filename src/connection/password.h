#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace kestrel {

struct ConnectionDescription;

// A password: it never turns into text by itself, and prints as "****". Only the two places that
// must see it read it: the ODBC connection string for a driver, and the masking of a driver's
// message that echoes it.
class Password {
public:
    Password() = default;
    explicit Password(std::u16string text) : m_text(std::move(text)) {}

    bool IsEmpty() const { return m_text.empty(); }
    bool operator==(const Password&) const = default;

private:
    friend std::u16string DriverConnectionString(const ConnectionDescription& description,
                                                 std::u16string_view driver,
                                                 std::optional<std::uint16_t> instancePort);
    friend std::u16string MaskPasswordAttributes(std::u16string_view text,
                                                 const Password& password);

    std::u16string m_text;
};

std::ostream& operator<<(std::ostream& out, const Password& password);

}  // namespace kestrel
