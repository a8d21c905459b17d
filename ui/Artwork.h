#pragma once

#include <QIcon>
#include <QPixmap>

namespace kestrin::ui {

// The program's pictures, painted at the size asked for so they stay crisp.
QPixmap FolderWithPage(int size);    // a light-blue folder holding a white ruled page
QPixmap CrossPicture(bool enabled);  // 32 x 32: a glossy red diagonal cross, grey when disabled
QPixmap PeoplePicture(bool enabled); // 32 x 32: a woman, a man in a red tie and a child
QIcon ApplicationIcon();

} // namespace kestrin::ui
