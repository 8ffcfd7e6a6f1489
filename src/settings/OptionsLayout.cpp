#include "settings/OptionsLayout.h"

#include <algorithm>

#include "platform/resource.h"
#include "settings/OptionsFields.h"

namespace {

// Twips. The labels of the first column, then the boxes from the second;
// the check boxes one a row in the order of the fields' table, the other
// copy's start with Windows under the last, the language, then OK and Cancel.
constexpr int kLabelLeft = 105, kColumn = 1320;
constexpr int kFirstCheckTop = 1440, kCheckRow = 300, kCheckWidth = 3015, kCheckHeight = 255;
constexpr int kNoteHeight = 390, kRowGap = 120, kBoxHeight = 315, kListWidth = 2400;
constexpr int kButtonGap = 360, kButtonHeight = 390, kBottomMargin = 90, kRightMargin = 195;
// Between a label that grew and the box after it (the design's labels have their own room).
constexpr int kLabelGap = 90;

}  // namespace

const OptionsPiece* OptionsLayout::Find(int id) const {
    const auto found = std::find_if(pieces.begin(), pieces.end(), [id](const OptionsPiece& p) { return p.id == id; });
    return found == pieces.end() ? nullptr : &*found;
}

OptionsLayout OptionsDesign() {
    using K = PieceKind;
    // Each label comes just before the box its access key moves to.
    OptionsLayout design{{
        {IDC_LABEL0, K::Label, Msg::OptionsCheckEvery, {kLabelLeft, 150, 1080, 270}, 0},
        {IDC_MINUTES, K::Edit, std::nullopt, {kColumn, 120, 645, kBoxHeight}, 0},
        {IDC_LABEL2, K::Label, Msg::OptionsMinutesFor, {2040, 120, 960, 270}, 0},
        {IDC_USERS, K::Edit, std::nullopt, {2880, 120, 645, kBoxHeight}, 0},
        {IDC_LABEL3, K::Label, Msg::OptionsPlayersOnline, {3600, 120, 960, 270}, 0},
        {IDC_LABEL1, K::Label, Msg::OptionsAlarmSound, {kLabelLeft, 533, 1080, 270}, 1},
        {IDC_SOUND, K::Edit, std::nullopt, {kColumn, 533, 3525, kBoxHeight}, 1},
        {IDC_ALARMDLG, K::Browse, Msg::OptionsBrowse, {4800, 533, 375, 323}, 1},
        {IDC_TEST, K::Button, Msg::OptionsTest, {5250, 533, 750, 323}, 1},
        // Two lines high: it wraps before the box that follows it instead of running under it.
        {IDC_LABEL4, K::WrappedLabel, Msg::OptionsQuellanDirectory, {kLabelLeft, 975, 1155, 390}, 2},
        {IDC_ZALMO, K::Edit, std::nullopt, {kColumn, 960, 3525, kBoxHeight}, 2},
        {IDC_ZALMODLG, K::Browse, Msg::OptionsBrowse, {4800, 960, 375, 323}, 2},
    }};
    int top = kFirstCheckTop, row = 3;
    const auto right = [&] {
        int r = 0;
        for (const OptionsPiece& p : design.pieces) r = std::max(r, p.box.Right());
        return r;
    }();
    for (const OptionsFieldRow& field : kOptionsFields) {
        if (field.kind != FieldKind::Check) continue;
        design.pieces.push_back(
            {field.control, K::Check, field.caption, {kColumn, top, kCheckWidth, kCheckHeight}, row++});
        top += kCheckRow;
        if (field.field != OptionsField::StartWithWindows) continue;
        design.pieces.push_back(
            {IDC_STARTUP_NOTE, K::Note, std::nullopt, {kColumn, top, right - kColumn, kNoteHeight}, row++});
        top += kNoteHeight + kRowGap;
    }
    design.pieces.push_back({IDC_LABEL5, K::Label, Msg::OptionsLanguage, {kLabelLeft, top + 30, 1080, 270}, row});
    design.pieces.push_back({IDC_LANGUAGE, K::List, std::nullopt, {kColumn, top, kListWidth, kBoxHeight}, row++});
    const int buttonTop = top + kBoxHeight + kButtonGap;
    design.pieces.push_back(
        {IDC_OPTIONS_OK, K::DefaultButton, Msg::OptionsOK, {1313, buttonTop, 1140, kButtonHeight}, row});
    design.pieces.push_back(
        {IDC_OPTIONS_CANCEL, K::Button, Msg::OptionsCancel, {2918, buttonTop, 1140, kButtonHeight}, row});
    design.width = right + kRightMargin;
    design.height = buttonTop + kButtonHeight + kBottomMargin;
    return design;
}

OptionsLayout LayOutOptions(const std::function<int(const OptionsPiece&)>& needed,
                            const std::function<int(const OptionsPiece&, int width)>& neededHeight) {
    const OptionsLayout design = OptionsDesign();
    OptionsLayout layout = design;
    std::vector<int> need(design.pieces.size());
    for (std::size_t i = 0; i < need.size(); ++i) need[i] = needed(design.pieces[i]);
    const auto nextInRow = [&](std::size_t i) {
        return i + 1 < design.pieces.size() && design.pieces[i + 1].row == design.pieces[i].row ? &design.pieces[i + 1]
                                                                                                : nullptr;
    };
    // How far piece i reaches to the right of its design's left edge: its
    // caption, and a label that needs more room than the design's a gap
    // before the next, so that its last letter does not touch the box.
    const auto reach = [&](std::size_t i) {
        const OptionsPiece& d = design.pieces[i];
        const bool label = d.kind == PieceKind::Label || d.kind == PieceKind::WrappedLabel;
        const OptionsPiece* next = nextInRow(i);
        return label && next && need[i] > next->box.left - d.box.left ? need[i] + kLabelGap : need[i];
    };
    // The second column moves right as far as the widest label of the first needs.
    int columnShift = 0;
    for (std::size_t i = 0; i < need.size(); ++i)
        if (design.pieces[i].box.left == kLabelLeft && nextInRow(i))
            columnShift = std::max(columnShift, kLabelLeft + reach(i) - nextInRow(i)->box.left);

    int shift = 0, right = 0;
    for (std::size_t i = 0; i < need.size(); ++i) {
        if (i == 0 || design.pieces[i].row != design.pieces[i - 1].row) shift = 0;
        const TwipBox& d = design.pieces[i].box;
        if (d.left > kLabelLeft) shift = std::max(shift, columnShift);
        TwipBox& box = layout.pieces[i].box;
        box.left = d.left + shift;
        box.width = std::max(d.width, need[i]);
        // What follows in the row starts where this caption ends, at the least.
        if (const OptionsPiece* next = nextInRow(i)) shift = std::max(shift, box.left + reach(i) - next->box.left);
        right = std::max(right, layout.pieces[i].kind == PieceKind::Note ? 0 : box.Right());
    }
    layout.width = std::max(design.width, right + kRightMargin);
    // A box ends where the next of its row begins: the design's labels and
    // edit boxes reach a little under what follows them.
    for (std::size_t i = 0; i + 1 < need.size(); ++i)
        if (nextInRow(i)) {
            TwipBox& box = layout.pieces[i].box;
            box.width = std::min(box.width, layout.pieces[i + 1].box.left - box.left);
        }
    // The note under "Start Wendrel with Windows" reaches to the right margin,
    // and is as tall as its text needs; the rows below it move down as much.
    int moved = 0, rowGrowth = 0;
    for (std::size_t i = 0; i < need.size(); ++i) {
        OptionsPiece& piece = layout.pieces[i];
        if (i > 0 && piece.row != layout.pieces[i - 1].row) {
            moved += rowGrowth;
            rowGrowth = 0;
        }
        piece.box.top += moved;
        if (piece.kind != PieceKind::Note) continue;
        piece.box.width = layout.width - kRightMargin - piece.box.left;
        if (neededHeight) piece.box.height = std::max(piece.box.height, neededHeight(piece, piece.box.width));
        rowGrowth = std::max(rowGrowth, piece.box.height - design.pieces[i].box.height);
    }
    layout.height += moved + rowGrowth;
    return layout;
}
