#pragma once
// The skin pictures compiled into the program (":/res/..."). They live in a static library, so
// they must be registered once before their first use.

namespace lumiqo {

// Registers the compiled skin pictures; cheap and harmless to call again.
void ensureSkinResources();

} // namespace lumiqo
