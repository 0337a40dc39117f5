#include "app/main_window_handlers.h"

#include <gtest/gtest.h>

#include "support/fake_registry.h"
#include "support/recording_window_services.h"
#include "support/scripted_prompt.h"

TEST(MainWindowHandlers, FecharEndsTheProgramAndDoesNothingElse) {
    RecordingWindowServices services;
    FakeRegistry registry;
    ScriptedPrompt prompt;
    kestrel::MainWindowHandlers handlers(services, registry, prompt);

    handlers.Command1_Click();

    EXPECT_EQ(services.endProgramCalls, 1);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(services.boxes.empty());
    EXPECT_FALSE(services.timerEnabled);
    EXPECT_TRUE(registry.openCalls.empty());
    EXPECT_EQ(prompt.calls, 0);
}
