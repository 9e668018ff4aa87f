#pragma once

#include <QString>
#include <QtGlobal>

// One progress report of the clone engine; valid only during the call that passes it.
struct KVProgressRecord {
    qint32 iErrCode = 0;   // 0 while all is well, else a negative code of `KVBootable`
    qint32 iStepCode = 0;  // the step reached, 0 to 8
    qint32 percent = 0;
};

// What the clone engine tells the Clone OS screen, always on the main thread.
class KVBootableDelegate {
public:
    virtual ~KVBootableDelegate() = default;
    virtual void KVUINotify(const KVProgressRecord& /*record*/) {}
    virtual void changeProLabelValue(const QString& /*text*/) {}
    // Inside copy pass `pass` (1 or 2) the restore tool has reached tag × 10 percent.
    virtual void changeProTimeWithTag(int /*tag*/, int /*pass*/) {}
    // A USB listing of `KVUSBControl` has ended.
    virtual void KVEnumUSBFinish() {}
};
