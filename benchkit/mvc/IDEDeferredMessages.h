// The two window messages by which views defer their layout to the message
// queue. The host's design-time package owns these ids; until it hands them
// out they are registered here under fixed names, so every module of the
// process agrees on them.
#pragma once

#include <win32/windef.h>

// Recompute the rows of a view (one message coalesces any number of requests).
UINT DeferRecalcVisibleMsg();
// Set a scroll pane's ranges from its content's preferred size.
UINT DeferDoLayoutMsg();
