#pragma once

#include <QString>
#include <QVariant>

#include <chrono>

namespace simmac {

// ".sim/config.plist": pacing and options of the simulated tools. Missing keys take the defaults, which are
// the pacing a person sees in the demo; tests set short delays.
struct SimConfig {
    std::chrono::milliseconds lineDelay{100};    // between the lines of verifyvolume / repairvolume
    std::chrono::milliseconds eraseDelay{300};   // spread over the steps of eraseDisk
    std::chrono::milliseconds asrStepDelay{30};  // before each fragment of asr's output
    int verifyExtraLines = 0;                    // extra "Checking item <k>" lines of a verify or repair
    bool computeUsageFromFiles = true;           // used space counts the files in a volume's folder

    static SimConfig load();
    // Sets one key (under the lock) and keeps the others.
    static bool set(const QString& key, const QVariant& value);
};

}  // namespace simmac
