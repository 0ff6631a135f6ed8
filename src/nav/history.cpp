// history
