// The type ids of the tests' name tables, made with the types in this order
// ({"pers", "loc", "org"}), so that a test names a tag's type as it reads.
#pragma once

enum { pers, loc, org };
