#include "support/scenario.h"

#include <cstdio>

namespace {

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[7];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
            continue;
        }
        out += c;
    }
    return out + '"';
}

std::string Quoted(const std::optional<std::string>& text) {
    return text ? Quoted(*text) : "null";
}

}  // namespace

std::string Scenario::Json() const {
    std::string json = "{\"server_name\": " + Quoted(serverName) +
                       ", \"logins\": [{\"user\": " + Quoted(user) +
                       ", \"password\": " + Quoted(password) + "}";
    for (const auto& [moreUser, morePassword] : moreLogins) {
        json +=
            ", {\"user\": " + Quoted(moreUser) + ", \"password\": " + Quoted(morePassword) + "}";
    }
    json += "]";
    json += ", \"default_database\": " + Quoted(defaultDatabase);
    json += ", \"address\": " + Quoted(address) + ", \"port\": " + std::to_string(port);
    if (!browserInstances.empty() || browserSilent) {
        json += ", \"browser\": {\"silent\": " + std::string(browserSilent ? "true" : "false") +
                ", \"instances\": [";
        for (std::size_t i = 0; i < browserInstances.size(); ++i) {
            json += (i ? ", " : "") + Quoted(browserInstances[i]);
        }
        json += "]";
        if (browserTcp) {
            json += ", \"tcp\": " + Quoted(*browserTcp);
        }
        json += ", \"noise_first\": " + std::string(browserNoiseFirst ? "true" : "false") +
                ", \"delay\": " + std::to_string(browserDelay) + "}";
    }
    json += ", \"properties\": {\"productversion\": " + Quoted(productVersion) +
            ", \"productlevel\": " + Quoted(productLevel) + ", \"edition\": " + Quoted(edition) +
            "}";
    json += ", \"databases\": [";
    for (std::size_t d = 0; d < databases.size(); ++d) {
        const ScenarioDatabase& db = databases[d];
        json += (d ? ", " : "") + std::string("{\"name\": ") + Quoted(db.name) +
                ", \"db_size\": " + Quoted(db.dbSize) + ", \"dbid\": " + std::to_string(5 + d) +
                ", \"files\": [";
        for (std::size_t f = 0; f < db.files.size(); ++f) {
            json += (f ? ", " : "") + std::string("{\"fileid\": ") + std::to_string(f + 1) +
                    ", \"filename\": " + Quoted(db.files[f].filename) +
                    ", \"size\": " + Quoted(db.files[f].size) + "}";
        }
        json += "]}";
    }
    json += "], \"faults\": " + faults + "}";
    return json;
}
