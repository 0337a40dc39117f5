#pragma once

#include "app/main_window_handlers.h"
#include "inspection/inspection_pass.h"
#include "support/dialog_string.h"
#include "support/quintara_settings.h"
#include "support/recording_window_services.h"
#include "support/scenario.h"
#include "support/scripted_prompt.h"
#include "support/tds_test_server.h"

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
