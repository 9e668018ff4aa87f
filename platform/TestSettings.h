#pragma once

#include <functional>

namespace platform {

// What tests set through the ...ForTesting setters lasts one test: each setter leaves here how to put back
// the value it replaced, and the tests' main calls restoreTestSettings() after every test, whether it passed
// or not. The shipped program never sets anything, so nothing is kept.
void restoreAfterTest(std::function<void()> restore);
// Puts back every value replaced since the last call, the latest first.
void restoreTestSettings();

}  // namespace platform
