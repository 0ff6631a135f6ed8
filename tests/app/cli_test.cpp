// cli_test
