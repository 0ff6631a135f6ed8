// pty_runner
