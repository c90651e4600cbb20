#pragma once

namespace levyc {

// What the user can ask of the picture. Those before ZoomIn are actions,
// in the order of the context menu.
enum class PictureCommand {
    Copy,
    Save,
    SaveDive,
    Play,
    ResetView,
    Back,
    Forward,
    CopyView,
    GoToView,
    AddBookmark,
    Bookmarks,
    OpenView,
    FullScreen,
    Overlay,
    Overview,
    Keys,
    ZoomIn,
    ZoomOut,
};

inline constexpr int PictureActionCount = static_cast<int>(PictureCommand::ZoomIn);

} // namespace levyc
