// The platform layer on macOS: the Dock tile, Finder, the Trash, Android
// Studio by its bundle identifier, and the system's Reduce Motion setting,
// followed through the workspace's accessibility notification.
// Built only on Apple systems (see app/CMakeLists.txt).
#include "app/platform/Launcher.hpp"
#include "app/platform/Platform.hpp"

#include <QApplication>
#include <QFile>
#include <QUrl>

#import <AppKit/AppKit.h>

namespace tovrane::app {

namespace {

class MacPlatform final : public Platform {
 public:
  explicit MacPlatform(Launcher& launcher) : launcher_(launcher) {
    @autoreleasepool {
      NSWorkspace* workspace = [NSWorkspace sharedWorkspace];
      reduceMotion_ = [workspace accessibilityDisplayShouldReduceMotion];
      id observer = [[workspace notificationCenter]
          addObserverForName:NSWorkspaceAccessibilityDisplayOptionsDidChangeNotification
                      object:nil
                       queue:[NSOperationQueue mainQueue]
                  usingBlock:^(NSNotification* /*note*/) {
                    followReduceMotion();
                  }];
      // Retained by hand: this file builds with and without automatic reference counting.
      observer_ = CFBridgingRetain(observer);
    }
  }

  ~MacPlatform() override {
    @autoreleasepool {
      [[[NSWorkspace sharedWorkspace] notificationCenter] removeObserver:(__bridge id)observer_];
    }
    CFRelease(observer_);
  }

  void setDockBadge(int count) override {
    @autoreleasepool {
      NSString* label = count > 0 ? [NSString stringWithFormat:@"%d", count] : nil;
      [[NSApp dockTile] setBadgeLabel:label];
    }
  }

  void requestAttention(QWidget* window) override {
    if (QGuiApplication::applicationState() != Qt::ApplicationActive) {
      QApplication::alert(window);
    }
  }

  void reveal(const QString& path) override {
    @autoreleasepool {
      NSURL* url = [NSURL fileURLWithPath:path.toNSString()];
      [[NSWorkspace sharedWorkspace] activateFileViewerSelectingURLs:@[ url ]];
    }
  }

  bool moveToTrash(const QString& path) override { return QFile::moveToTrash(path); }

  void openInAndroidStudio(const QString& folder) override {
    @autoreleasepool {
      NSWorkspace* workspace = [NSWorkspace sharedWorkspace];
      NSURL* studio = [workspace URLForApplicationWithBundleIdentifier:@"com.google.android.studio"];
      if (studio != nil) {
        NSURL* url = [NSURL fileURLWithPath:folder.toNSString()];
        [workspace openURLs:@[ url ]
            withApplicationAtURL:studio
                   configuration:[NSWorkspaceOpenConfiguration configuration]
               completionHandler:nil];
        return;
      }
    }
    launcher_.openUrl(QUrl(QStringLiteral("https://developer.android.com/studio")));
  }

  bool reduceMotion() override { return reduceMotion_; }

 private:
  void followReduceMotion() {
    const bool reduced = [[NSWorkspace sharedWorkspace] accessibilityDisplayShouldReduceMotion];
    if (reduced != reduceMotion_) {
      reduceMotion_ = reduced;
      emit reduceMotionChanged(reduced);
    }
  }

  Launcher& launcher_;
  bool reduceMotion_ = false;
  CFTypeRef observer_ = nullptr;
};

}  // namespace

std::unique_ptr<Platform> Platform::create(Launcher& launcher) { return std::make_unique<MacPlatform>(launcher); }

}  // namespace tovrane::app
