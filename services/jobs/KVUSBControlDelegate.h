#pragma once

// What a `KVUSBControl` asks of and tells its delegate (the clone engine).
class KVUSBControlDelegate {
public:
    virtual ~KVUSBControlDelegate() = default;
    // A USB listing has ended; on the main thread.
    virtual void KVEnumUSBFinishImp() {}
    // Polled by the carving before each disk and each partition, on its thread; true stops it.
    virtual bool KVUserIsCancel() { return false; }
};
