// transaction
