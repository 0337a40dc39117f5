#include "app/main_window_handlers.h"

#include <gtest/gtest.h>

#include "support/recording_window_services.h"

TEST(MainWindowHandlers, FecharEndsTheProgramAndDoesNothingElse) {
    RecordingWindowServices services;
    kestrel::MainWindowHandlers handlers(services);

    handlers.Command1_Click();

    EXPECT_EQ(services.endProgramCalls, 1);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(services.boxes.empty());
    EXPECT_FALSE(services.timerEnabled);
}
