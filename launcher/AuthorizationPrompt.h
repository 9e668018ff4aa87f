#pragma once

#include "platform/Authorization.h"

// The stand-in for the system's administrator password dialog on a simulated Mac with a display.
class AuthorizationPrompt {
public:
    static platform::AuthorizationDecision ask();
    static bool isAvailable();  // a display to show it on
};
