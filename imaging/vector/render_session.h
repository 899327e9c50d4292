// File: imaging/vector/render_session.h
//
// Painting text needs a GUI application object.  Libraries used from
// programs that may have none (the imaging library family) hold a render
// session: while one is held, an off-screen application exists (made by
// the first session when the process has no application at all, and ended
// with the last).  In a program with its own GUI application, sessions
// change nothing.
//
//   imaging::vector::RenderSession session;
//   if (session.can_paint_text()) ...
#pragma once

namespace imaging::vector {

class RenderSession {
 public:
  RenderSession();
  ~RenderSession();
  RenderSession(const RenderSession&) = delete;
  RenderSession& operator=(const RenderSession&) = delete;

  // False in a program that has only a non-GUI application object: text
  // is then left out of pictures.
  bool can_paint_text() const;
};

// Explicit start and end for C callers that keep a session across calls.
void AcquireRenderSession();
void ReleaseRenderSession();

}  // namespace imaging::vector
