#pragma once

// A draw that succeeds about once in nine; reseeded from the clock at every call.
bool OneInNine();
