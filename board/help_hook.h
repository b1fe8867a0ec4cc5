// The operation guide is a dialog of the application shell; the board view
// opens it through this hook, which the shell sets at start-up.
#pragma once

#include <functional>

void SetOperationGuideRunner(std::function<void()> runner);
// Opens the guide; does nothing when no runner is set.
void RunOperationGuide();
