// Where the mouse was last pressed on a control: a drag that waits for its
// threshold measures from there, not from wherever the cursor has got to by
// the time the drag's loop starts reading the queue.
#pragma once

#include <quorlpak/Types.h>

namespace quorlpak {

void NoteMousePress(TPoint Screen);
// The last press, or the cursor when no press was noted.
TPoint DragOrigin();
// Whether the last EndDrag asked for a drop (a drag loop ended from inside
// one of its own notifications reads it).
void NoteEndDrag(bool Drop);
bool EndDragDropped();

} // namespace quorlpak
