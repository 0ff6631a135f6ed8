// history_test
