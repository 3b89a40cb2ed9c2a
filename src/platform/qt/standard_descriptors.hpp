#pragma once

namespace mapplot {

// A standard descriptor that is closed would be taken by the next file the
// program opens (Qt's event descriptor, say), and console lines would go
// there. Each closed one is opened on /dev/null.
void open_closed_standard_descriptors();

}  // namespace mapplot
