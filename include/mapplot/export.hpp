#pragma once

/// \file
/// What mapplot's shared libraries offer to other programs. They are built
/// with hidden symbols by default; a public declaration carries MAPPLOT_API,
/// which makes it visible. Static libraries need no marks but take them.

/// Marks a public declaration defined in one of mapplot's libraries: a
/// function, or a class with virtual functions or members defined there.
#define MAPPLOT_API __attribute__((visibility("default")))
