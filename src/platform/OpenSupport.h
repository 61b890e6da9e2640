#pragma once

// What the output reader (tamberlox-open) needs of the system beyond the rest
// of this layer.
namespace platform {
} // namespace platform
