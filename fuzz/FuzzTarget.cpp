#include "fuzz/FuzzTarget.h"

#include <QLoggingCategory>

namespace fuzz {

void quietLogs() {
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false\n*.warning=false"));
}

}  // namespace fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::quietLogs();
    return 0;
}
