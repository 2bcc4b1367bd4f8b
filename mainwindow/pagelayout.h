#pragma once

class QWidget;

// Frames stacked on one page or tab each lay out their captions and fields
// in a grid of their own: caption, field, caption, field. Left alone, every
// grid sizes its caption columns to its own captions, and the fields of one
// frame start where those of the next do not. This gives the caption
// columns of the frames under one parent the width of the widest caption
// among them, so the columns line up from frame to frame.
void lineUpStackedFrames(QWidget *root);
