#include "platform/LogCategories.h"

Q_LOGGING_CATEGORY(lcPlatform, "tavrun.platform")
Q_LOGGING_CATEGORY(lcServices, "tavrun.services")
Q_LOGGING_CATEGORY(lcUiKit, "tavrun.uikit")
Q_LOGGING_CATEGORY(lcApp, "tavrun.app")
Q_LOGGING_CATEGORY(lcLauncher, "tavrun.launcher")
Q_LOGGING_CATEGORY(lcSimmac, "tavrun.simmac")
