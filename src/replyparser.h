#pragma once

// Plain functions over reply frames: no widgets, so they can be tested and
// fuzzed on their own.
