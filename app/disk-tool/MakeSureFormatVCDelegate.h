#pragma once

#include <QString>

// What the format confirmation hands its owner on "Continue": the name and the file-system type text as
// shown, unchecked.
class MakeSureFormatVCDelegate {
public:
    virtual ~MakeSureFormatVCDelegate() = default;
    virtual void makeSureToFormatSelectVolumeWithName(const QString& /*name*/, const QString& /*type*/) {}
};
