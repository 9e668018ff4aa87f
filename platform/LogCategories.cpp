#include "platform/LogCategories.h"

// Debug lines are for whoever asks for them (QT_LOGGING_RULES="tavrun.services.debug=true"); by default a
// category logs from info up.
Q_LOGGING_CATEGORY(lcPlatform, "tavrun.platform", QtInfoMsg)
Q_LOGGING_CATEGORY(lcServices, "tavrun.services", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUiKit, "tavrun.uikit", QtInfoMsg)
Q_LOGGING_CATEGORY(lcApp, "tavrun.app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLauncher, "tavrun.launcher", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSimmac, "tavrun.simmac", QtInfoMsg)
