#pragma once

#include <string>

// The floor for the inspection pass: the same two statements and the same reads, written straight
// against the ODBC API on an already open connection string's driver.
class RawOdbcPass {
public:
    explicit RawOdbcPass(const std::u16string& odbcConnectionString);
    ~RawOdbcPass();
    // The server-property query and sp_helpdb for `database`; returns the file name it read.
    std::u16string Run(const std::u16string& database);

private:
    void* m_environment = nullptr;
    void* m_connection = nullptr;
};
