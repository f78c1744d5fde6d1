// Boxes for fixed-width code page 932 fields: they take no more than the field holds.
#pragma once

class QLineEdit;

// From now on `box` refuses an edit whose text would not fit `width` bytes of code page 932, or that holds a
// character code page 932 cannot store, so nothing typed is cut or changed when it is saved. Trailing blanks
// do not count: a text shown as stored is padded to its full width, and saving cuts blanks only.
void limitBytes(QLineEdit* box, int width);
