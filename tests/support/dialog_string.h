#pragma once

#include <string>

#include "connection/ole_db/data_link_string.h"
#include "support/tds_test_server.h"
#include "support/utf16.h"

// A test server's address as the settings and the dialog write it: 127.0.0.1,port.
inline std::string AddressOf(const TdsTestServer& server) {
    return "127.0.0.1," + std::to_string(server.port());
}

// What the connection dialog yields for a server login of sa to `server`.
inline std::u16string DialogString(const TdsTestServer& server, const std::string& password,
                                   const std::string& database = "Quintara") {
    return kestrel::BuildDataLinkString({.server = U16(AddressOf(server)),
                                         .userName = u"sa",
                                         .password = U16(password),
                                         .database = U16(database)});
}
