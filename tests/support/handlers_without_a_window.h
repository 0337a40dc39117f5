#pragma once

#include <gtest/gtest.h>

#include "app/main_window_handlers.h"
#include "inspection/inspection_pass.h"
#include "support/dialog_string.h"
#include "support/quintara_settings.h"
#include "support/recording_window_services.h"
#include "support/scenario.h"
#include "support/scripted_prompt.h"
#include "support/tds_test_server.h"
#include "support/utf16.h"

// The buttons and Timer1 without a window: the handlers at the program's own time bounds over
// window services, a registry and a dialog of the test's own, and a TDS test server of the default
// scenario that Quintara's settings point at.
struct HandlersWithoutAWindow {
    HandlersWithoutAWindow() {
        settings.servidor = AddressOf(server);
        settings.password = scenario.password;
    }

    // "Ler Quintara..." with the settings pointing at `to`.
    void ClickLerQuintara(const TdsTestServer& to) {
        QuintaraSettings stored = settings;
        stored.servidor = AddressOf(to);
        stored.StoreIn(registry);
        handlers.cmdQuintara_Click();
    }

    // A connect that has left the pass to Timer1: no message, the timer on, the busy pointer.
    void ExpectPassPending() {
        EXPECT_TRUE(services.messages.empty());
        EXPECT_TRUE(services.timerEnabled);
        EXPECT_EQ(services.pointer, kestrel::MousePointer::Busy);
    }

    // One message with `icon`, the password nowhere in it, and no pass left to Timer1.
    void ExpectOneMessageWithoutThePassword(
        kestrel::MessageIcon icon = kestrel::MessageIcon::None) {
        ASSERT_EQ(services.messages.size(), 1u);
        EXPECT_EQ(services.messages[0].text.find(U16(scenario.password)), std::u16string::npos);
        EXPECT_EQ(services.messages[0].icon, icon);
        EXPECT_FALSE(services.timerEnabled);
    }

    // Earlier text in every box a pass writes, to see which ones it overwrites or empties.
    void FillPassBoxes() {
        for (kestrel::TextBox box : kestrel::kPassBoxes) {
            services.boxes[box] = u"anterior";
        }
    }

    Scenario scenario;
    TdsTestServer server{scenario.Json()};
    QuintaraSettings settings;
    RecordingWindowServices services;
    FakeRegistry registry;
    ScriptedPrompt prompt;
    kestrel::MainWindowHandlers handlers{services, registry, prompt};
};
