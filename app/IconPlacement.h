#pragma once
// Where a minimised window draws its icon: centred in the client area, the odd pixel
// going to the far side. Integer division truncates toward zero, so a client area
// smaller than the icon gives a negative offset and the icon is clipped evenly.

inline int CentredIconOffset(int clientExtent, int iconExtent) {
    return (clientExtent - iconExtent + 1) / 2;
}
