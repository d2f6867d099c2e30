#pragma once

// Lets the window repaint during a long operation: processes pending events except
// user input, which stays queued until the operation has returned to the event loop,
// so that a click cannot start a second command inside a running one. Cheap enough to
// call for every row: events are processed at most once every 15 ms.
void DoEvents();
