// address_test
