#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "text/Messages.h"

// A control's box in twips: left, top, width, height.
struct TwipBox {
    int left = 0, top = 0, width = 0, height = 0;
    int Right() const { return left + width; }
    bool operator==(const TwipBox&) const = default;
};

enum class PieceKind {
    Label,         // one line
    WrappedLabel,  // as many lines as its height holds
    Edit,
    Browse,  // "...", which opens a file picker
    Button,
    DefaultButton,  // pressed by Enter
    Check,
    Note,  // a line of its own, filled when the dialog loads
    List,  // a drop-down list
};

// One control of the Options window.
struct OptionsPiece {
    int id;
    PieceKind kind;
    std::optional<Msg> caption;  // none for a box that shows a setting
    TwipBox box;
    int row;  // the controls of a row, left to right in creation order
};

struct OptionsLayout {
    std::vector<OptionsPiece> pieces;  // in creation order, which is the tab order
    int width = 0, height = 0;         // the client area, in twips

    const OptionsPiece* Find(int id) const;
};

// The window as drawn for English, at the classic 8-point dialog font.
OptionsLayout OptionsDesign();

// The window for captions that need needed(piece) twips of width at the
// design's scale (0 for a box whose width is its own, an edit box say; the
// list, the width of its longest entry). A caption that needs
// more room than the design gives it, up to the next control of its row,
// widens its control and moves the rest of the row right; a label of the
// first column that needs more moves the whole second column; a box ends
// where the next of its row begins. The window widens to hold every row.
// Then a note whose text needs neededHeight(piece,
// width) twips at its width, more than the design's height, grows taller and
// moves the rows below it down, and the window with them. Captions that fit
// change nothing.
OptionsLayout LayOutOptions(const std::function<int(const OptionsPiece&)>& needed,
                            const std::function<int(const OptionsPiece&, int width)>& neededHeight = {});
