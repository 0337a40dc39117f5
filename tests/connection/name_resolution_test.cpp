// A log-on while the name servers never answer keeps the window alive and ends within bounds.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "base/failure.h"
#include "connection/database_access.h"
#include "support/calling_pump.h"
#include "support/silent_name_server.h"
#include "support/utf16.h"

namespace {

using Clock = std::chrono::steady_clock;

TEST(NameResolution, ASilentNameServerHoldsNeitherTheWindowNorTheLogOnPastItsBound) {
    const struct {
        const char* what;
        const char* dataSource;
        const char* told;  // the start of it
    } cases[] = {
        {"the Browser's question about an instance", "srvbanco\\QUINTARA",
         "O nome do servidor \"srvbanco\" não foi resolvido em 1 segundo"},
        {"the driver's log-on", "srvbanco", "O servidor SQL Server \"srvbanco\" não respondeu"},
    };
    constexpr auto kLogOn = std::chrono::seconds(3);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string report = silent_name_server::InAChildProcess([&] {
            const auto start = Clock::now();
            std::optional<std::chrono::milliseconds> first;  // the window's first events
            const CallingPump pump([&] {
                if (!first) {
                    first =
                        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
                }
            });
            std::u16string told;
            try {
                kestrel::Connection({kLogOn, kLogOn})
                    .Open(U16(std::string("Provider=SQLOLEDB.1;User ID=sa;Data Source=") +
                              c.dataSource),
                          u"", u"x");
            } catch (const kestrel::Failure& failure) {
                told = failure.description;
            }
            const auto took =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
            return std::to_string(first.value_or(took).count()) + " " +
                   std::to_string(took.count()) + " " + Narrow(told);
        });
        long long firstPump = -1;
        long long took = -1;
        int toldAt = 0;
        ASSERT_EQ(std::sscanf(report.c_str(), "%lld %lld %n", &firstPump, &took, &toldAt), 2)
            << report;
        EXPECT_LT(firstPump, 500) << report;
        EXPECT_LT(took, std::chrono::milliseconds(kLogOn).count() + 1000) << report;
        EXPECT_TRUE(report.substr(std::size_t(toldAt)).starts_with(Narrow(U16(c.told)))) << report;
    }
}

}  // namespace
#endif
