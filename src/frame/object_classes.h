// Start-up of the object classes: every class handler registered, then the table installed.
#pragma once

// Registers the shape, straight-line, elbow-connector and line-array handlers and the text
// editor's background callback, then installs the class handler table: 0, or 10004 when a
// slot stays empty.
int InstallObjectClasses();
