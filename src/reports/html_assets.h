// The page's style sheet and script, kept apart from the code that writes
// the page.
#pragma once

extern const char html_style[];
extern const char html_script[];
