// terminal
