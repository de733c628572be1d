#pragma once
// Which source pixel a colour-on-colour stretch (StretchBlt under COLORONCOLOR,
// as the system's DIB engine does it, measured under Wine) copies to each
// destination pixel along one axis. The skin library composes nine-slice
// pictures in memory with it and must land on exactly the pixels GDI would.

enum class TStretchAxis { Horizontal, Vertical };

// The source length GDI really stretches from. A destination one pixel long
// drops the last source pixel first (Wine's DIB engine does this before it
// stretches), so a 2 to 1 shrink is a plain copy of the first pixel.
int EffectiveStretchSource(int sourceLength, int destLength);

// True when the stretch merges several source pixels into one (after the
// single-pixel adjustment above). Only a merge depends on the stretch mode.
bool StretchMerges(int sourceLength, int destLength);

// Offset into the source (0 .. sourceLength - 1) copied to destination offset
// `index` (0 .. destLength - 1); both lengths positive.
int StretchSourceOffset(int sourceLength, int destLength, int index, TStretchAxis axis);
