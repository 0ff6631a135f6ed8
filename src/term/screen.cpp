// screen
