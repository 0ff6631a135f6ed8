// address
