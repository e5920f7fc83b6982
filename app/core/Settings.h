#pragma once

#include <array>
#include <string_view>

namespace tarvine {

// The four persistent settings, as one value. Defaults are those of a first
// start.
struct Settings {
    // Show the cache status bar.
    bool showCacheInfo = false;
    // Evaluate on every text change; otherwise only on demand.
    bool autoExecute = true;
    // The ruler draws each line's result beside the text area; also colours
    // the results gutter blue.
    bool resultsGutterVersionOne = true;
    // Show the results gutter overlay.
    bool resultsGutterVersionTwo = true;

    // A setting's key in the preferences store, its default, and its field.
    struct Key {
        std::string_view key;
        bool defaultValue;
        bool Settings::*field;
    };

    // Every setting, in order. The keys are fixed: preferences written by
    // earlier versions must still be found.
    static constexpr std::array<Key, 4> keys{{
        {"A84AB174-2733-4445-AC2C-08E63B5244F1", false, &Settings::showCacheInfo},
        {"2D134E93-DE61-4BC6-AED2-3476E927586A", true, &Settings::autoExecute},
        {"973F0E6C-8B58-494A-893C-DC938CE4258C", true, &Settings::resultsGutterVersionOne},
        {"BDBE7BA7-37CD-457B-849E-4A51C5DE27D7", true, &Settings::resultsGutterVersionTwo},
    }};

    bool operator==(const Settings&) const = default;
};

} // namespace tarvine
