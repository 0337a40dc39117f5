#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "base/window_services.h"
#include "connection/database_access.h"

namespace kestrel {

// The boxes a pass fills, in the order it writes them.
inline constexpr std::array kPassBoxes = {
    TextBox::txtVersao,
    TextBox::txtNivel,
    TextBox::txtEdicao,
    TextBox::txtBancoDados,
    TextBox::txtTamanhoBancoDados,
    TextBox::txtLocalBD,
};

inline constexpr std::u16string_view kServerPropertyQuery =
    u"SELECT  SERVERPROPERTY('productversion'), SERVERPROPERTY ('productlevel'), "
    u"SERVERPROPERTY ('edition')";

// The database command for `sp_helpdb`: the name goes in as a quoted Unicode literal, so that a
// stored name can never run SQL of its own and names with blanks, hyphens or quotes work. An empty
// name asks for the list of all databases.
std::u16string DatabaseCommand(std::u16string_view databaseName);

// What a pass found besides the boxes' text.
struct PassOutcome {
    bool filled = false;  // every box
    // The product version as the box shows it before its label; nothing when the pass did not
    // read it.
    std::optional<std::u16string> productVersion;
};

// The timer's work after a successful connect: asks the server for its version, level and edition
// and for the database's name, size and file location, and fills the six boxes. `storedDatabase`
// is the stored settings' database when the connection was made from them; otherwise the pass
// describes the connection's own current database. A failure is reported in a message box; the
// boxes the pass had not reached are emptied and the program goes on.
PassOutcome RunInspectionPass(WindowServices& services, Connection& cnBanco,
                              std::optional<std::u16string_view> storedDatabase);

}  // namespace kestrel
