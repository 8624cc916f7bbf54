#pragma once

// Reassembles the byte stream of one route into CR LF terminated frames.
