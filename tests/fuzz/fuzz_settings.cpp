// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the settings values a user or another program can leave
// in the store, read back at start-up. "WindCount" becomes the wind count
// through the slider's own press (it must end up a value the slider makes,
// and store a text that reads back as itself); the four key names become
// function-key codes or nothing.
#include "rules/KeyAssignments.h"
#include "rules/Sliders.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_settings: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Settings are text; the store may hold any UTF-8 (or invalid bytes,
    // which decode to replacement characters).
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));

    // Start-up reads the wind count and presses the slider there.
    const std::optional<float> read = WindCountFromStoredText(text);
    check(!read || !std::isnan(*read), "wind count read as NaN");
    const WindCountPlan plan = PlanWindCount(read.value_or(500));
    check(plan.lines.size() <= 54, "more lines than the slider has");
    for (qsizetype i = 0; i < plan.lines.size(); ++i)
        check(plan.lines[i] == 10 + 30 * float(i), "line off the 10 + 30k grid");
    const float w = plan.windCount;
    check(w >= 10 && w <= MaxWindCount && std::fmod(w - 10, 30.0f) == 0, "wind count off the slider's values");
    const QString stored = WindCountStoredText(w);
    check(stored.startsWith(QLatin1Char(' ')) && !stored.startsWith(QLatin1String("  ")),
          "stored text without its one leading blank");
    check(WindCountFromStoredText(stored) == w, "stored wind count reads back differently");
    // The next start redraws the same bar and stores the same text.
    check(PlanWindCount(w).windCount == w, "stored wind count not stable across starts");

    // A key name binds one of F1..F12 exactly when it is that key's name.
    const std::optional<FunctionKey> key = FunctionKeyNamed(text);
    if (key) {
        check(OffsetOf(*key) >= 0, "key outside F1..F12");
        check(NameOf(*key) == text, "key does not name itself back");
    } else {
        for (int offset = 0; offset < 12; ++offset)
            check(NameOf(FunctionKeyAt(offset)) != text, "a function key's own name not recognised");
    }
    return 0;
}
