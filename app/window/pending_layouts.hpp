#pragma once

namespace vantric {

// Carries out now the layout requests that changed texts have posted, up the whole chain of
// parents. A label whose text grows asks its parent for room, which asks its own parent once it
// has been laid out, each level in a later round of the event loop: a paint that came between
// two rounds would draw the grown figure at its old width, cut ("10" of a Total that reached
// 100). Called where a reading has changed the window, before control goes back to the event
// loop and its paints. Main thread only.
void settlePendingLayouts();

}  // namespace vantric
