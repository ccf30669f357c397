#pragma once

namespace pushwren {

// Marks the calling thread as one of the plugin's own (the download thread): a line it logs
// reaches an installed log sink through the main queue, never on this thread.
void markLogBackgroundThread();

}  // namespace pushwren
