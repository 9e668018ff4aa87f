#pragma once

#include <QString>
#include <QStringList>

namespace simmac {

// The simulated Macs `simctl init` can make: the internal disk with its partitions and APFS containers, the
// root volume's files, the system version and the processor.
//   apple-silicon-13  macOS 13.4, Apple M1; ISC, main and recovery containers; sealed system snapshot at "/"
//   intel-12          macOS 12.6, Intel, PCI-Express; EFI + one container; sealed system snapshot at "/"
//   intel-10.14       macOS 10.14.6, Intel, SATA; EFI + one container with a single system volume at "/"
//   intel-10.12-hfs   macOS 10.12.6, Intel, SATA; EFI + "Macintosh HD" (Journaled HFS+) + "Recovery HD"
class MacPreset {
public:
    static QStringList names();
    // Lays the Mac out in the current sim root (TAVRUN_SIM_ROOT), which must be empty. False for an
    // unknown preset or a root that cannot be written.
    static bool install(const QString& name);
};

}  // namespace simmac
