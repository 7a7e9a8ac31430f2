// libFuzzer target: bytes become player events; every invariant must hold after each one.
#include "app/form1.h"
#include "random_play.h"

#include <cstdio>
#include <cstdlib>

using namespace nudgeboard;
using namespace nudgeboard::testing;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Form1 form;
    form.Show();
    InvariantChecker check;
    for (std::size_t at = 0; at + bytesPerEvent <= size; at += bytesPerEvent) {
        Event e = decode(data + at);
        check.before(form);
        apply(form, e);
        std::string error = check.after(form, e.kind == Event::Key);
        if (!error.empty()) {
            std::fprintf(stderr, "event %zu (%s): %s\n", at / bytesPerEvent, describe(e).c_str(),
                         error.c_str());
            std::abort();
        }
    }
    return 0;
}
