#pragma once
// The gui extension of the plug-in binary: our editor embedded in the host's window (X11 on
// Linux, Win32 on Windows), at a fixed size that follows the strips. Null in a build without
// the editor.
namespace clap {
struct PluginGui;
}

const clap::PluginGui* clapGuiExtension();
